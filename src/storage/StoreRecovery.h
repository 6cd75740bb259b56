#pragma once

#include <memory>
#include <optional>
#include <string>

#include "storage/LayoutStore.h"

namespace orvale {

// A live connection, what opening has to tell the user about it, and what it
// loaded from the file on the way.
struct OpenedDatabase {
    std::unique_ptr<SQLiteDatabase> live;
    std::optional<StorageNotice> notice;
    std::optional<StoreContent> verified = std::nullopt;
};

// Replaces a damaged database; `reason` is the damage as SQLite described it.
//  1. Without a reset marker, a copy of the backup must pass the checks (and
//     be upgraded) first; if it cannot, recovery stops with the original in
//     place.
//  2. Holding the RecoveryLock, the damaged file set is kept as hard links
//     named "Orvale.corrupt-<time>.sqlite" and removed from the live names.
//  3. The checked copy is installed ("Your layouts are back"); without one an
//     empty library is created ("Starting with a clean slate").
// Every failure is a StorageError, with the live file set as it was or put back
// under its own names; the backup copy is deleted on every path out. Blocks on
// file I/O.
OpenedDatabase recoverDamagedDatabase(const StorePaths& paths, const StoreServices& services,
                                      const std::string& reason);

}  // namespace orvale
