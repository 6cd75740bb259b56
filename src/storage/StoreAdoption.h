#pragma once

#include <optional>

#include "storage/FileSystem.h"
#include "storage/StorageNotice.h"
#include "storage/StorePaths.h"

namespace orvale {

// Adopts the previous name's folder on the first start without a database:
// copies "layouts.sqlite" and "layouts.backup.sqlite" (each with its "-wal"
// and "-journal" when it was copied itself) and "layouts.reset-pending" to the
// current names, never replacing a file, and never changing the old folder.
// Returns the notice "Saved layouts copied to Orvale", or nothing when there
// was nothing to adopt. The copies are flushed with the folder's entries. A
// failed copy or flush deletes what was copied and is
// StorageError::storageUnavailable. Blocks on file I/O.
std::optional<StorageNotice> adoptPreviousFolder(const StorePaths& paths, FileSystem& files);

}  // namespace orvale
