#pragma once

#include <optional>
#include <string>

#include "model/Timestamp.h"
#include "storage/LayoutStore.h"

// The reset and its marker. While "Orvale.reset-pending" exists, a reset has
// not yet been protected by a clean backup: recovery then never puts the
// backup (which holds the data from before the reset) in place, and the next
// opening takes the missing backup.
namespace orvale {

// Writes the marker durably, naming when the reset started. A marker that
// cannot be created is StorageError::writeFailed("The reset marker could not
// be created."); other file failures are raised as FileSystemError.
void beginResetMarker(const StorePaths& paths, FileSystem& files, Timestamp started);

// Deletes the marker, if any, and flushes the folder. A failure is
// StorageError::writeFailed("The reset marker could not be removed: …").
void clearResetMarker(const StorePaths& paths, FileSystem& files);

// The last step of opening: with the marker present, a verified backup of
// `live` and the marker cleared. Never throws: what could not be done becomes
// (or is added to) the notice returned.
std::optional<StorageNotice> completePendingResetBackup(const StorePaths& paths, FileSystem& files,
                                                        SQLiteDatabase& live,
                                                        std::optional<StorageNotice> notice);

// The body of LayoutStore::resetDatabase: marker, one transaction deleting
// every layout and exclusion, the cleared database checked and backed up, the
// marker cleared. Throws StorageError::resetFailed when nothing was deleted;
// returns a warning when the data is gone but the clean state is not yet
// protected (the marker then stays).
std::optional<std::string> resetLiveDatabase(const StorePaths& paths, const StoreServices& services,
                                             SQLiteDatabase& live);

}  // namespace orvale
