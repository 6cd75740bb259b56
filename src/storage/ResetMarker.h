#pragma once

#include <filesystem>
#include <optional>

#include "model/Timestamp.h"
#include "storage/FileSystem.h"
#include "storage/SQLite.h"
#include "storage/StorageNotice.h"
#include "storage/StorePaths.h"

// The reset marker. While "Orvale.reset-pending" exists, a reset has not yet
// been protected by a clean backup: recovery then never puts the backup (which
// holds the data from before the reset) in place. A verified backup of the
// live database ends it, whether the reset, `orvale backup` or the next opening
// takes it.
namespace orvale {

// Writes the marker durably, naming when the reset started. A marker that
// cannot be created is StorageError::writeFailed("The reset marker could not
// be created."); other file failures are raised as FileSystemError.
void beginResetMarker(const StorePaths& paths, FileSystem& files, Timestamp started);

// Deletes the marker, if any, and flushes the folder. A failure is
// StorageError::writeFailed("The reset marker could not be removed: …").
void clearResetMarker(const StorePaths& paths, FileSystem& files);

// The body of LayoutStore::backupNow: a verified backup of `live` at
// `paths.backup`, then the marker cleared. Every failure is a StorageError
// (backupFailed unless one was raised on the way). Returns the backup's path.
std::filesystem::path backUpLiveDatabase(const StorePaths& paths, FileSystem& files,
                                         SQLiteDatabase& live);

// The last step of opening: with the marker present, a verified backup of
// `live` and the marker cleared. Never throws: what could not be done becomes
// (or is added to) the notice returned.
std::optional<StorageNotice> completePendingResetBackup(const StorePaths& paths, FileSystem& files,
                                                        SQLiteDatabase& live,
                                                        std::optional<StorageNotice> notice);

}  // namespace orvale
