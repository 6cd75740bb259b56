#pragma once

#include <optional>
#include <string>

#include "storage/SQLite.h"
#include "storage/StorePaths.h"
#include "storage/StoreServices.h"

namespace orvale {

// The body of LayoutStore::resetDatabase: the reset marker (ResetMarker.h),
// one transaction deleting every layout and exclusion, on disk when it
// returns, the cleared database checked and backed up, the marker cleared.
// Throws StorageError::resetFailed when nothing was deleted (the intact data is
// then backed up and the marker cleared); returns a warning when the data is
// gone but the clean state is not yet protected, the marker then staying.
std::optional<std::string> resetLiveDatabase(const StorePaths& paths, const StoreServices& services,
                                             SQLiteDatabase& live);

}  // namespace orvale
