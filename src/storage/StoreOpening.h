#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "storage/LayoutStore.h"

namespace orvale {

// The decision procedure of LayoutStore::open and the file work around it:
// recovery with preserved damaged sets, the recovery lock, verified backups,
// the reset marker and the reset. Internal to the storage library;
// LayoutStore is its only caller. Every failure path leaves the live file set
// unchanged or restored to its previous names, and deletes temporary and
// candidate files.
class StoreOpening {
  public:
    static StorageOpenResult open(const StorePaths& paths, StoreServices services);
    // A store on an open live connection.
    static StorageOpenResult makeStore(const StorePaths& paths, StoreServices services,
                                       std::optional<StorageNotice> notice,
                                       std::unique_ptr<SQLiteDatabase> database);
    static std::filesystem::path backupNow(LayoutStore& store);
    static std::optional<std::string> resetDatabase(LayoutStore& store);

    // A verified, atomic replacement of `destination` with a copy of `source`
    // in a single self-contained file (journal mode DELETE).
    static void makeBackup(FileSystem& fileSystem, SQLiteDatabase& source,
                           const std::filesystem::path& destination);

    // "Orvale.corrupt-" stamp: the time in internet date-time form with
    // milliseconds in UTC, every ":" and "." replaced by "-".
    static std::string recoveryStamp(Timestamp time);
    // Internet date-time form in whole seconds, e.g. 2026-01-31T09:15:02Z.
    static std::string internetDateTime(Timestamp time);
};

}  // namespace orvale
