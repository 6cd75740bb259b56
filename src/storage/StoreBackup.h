#pragma once

#include <filesystem>

#include "storage/FileSystem.h"
#include "storage/SQLite.h"
#include "storage/StorePaths.h"

// Verified backups: a copy written beside its destination, checked, and only
// then swapped in, so that a failed backup always leaves the previous one.
namespace orvale {

// Replaces `destination` with a copy of `source` in one self-contained file
// (journal mode DELETE): SQLite's online backup into
// "<destination>.tmp-<uuid>", which must pass the quick and foreign-key checks
// and be of a version this program reads, is flushed, renamed over
// `destination`, and the folder flushed. Temporaries left by earlier attempts
// are deleted first. On failure the temporary is deleted and the previous
// `destination` stays; a failed rename is StorageError::backupFailed("Backup
// update failed. Previous backup kept. …"), anything else is raised as it
// comes (SQLiteFailure, StorageError, FileSystemError). Blocks on file I/O.
void writeVerifiedBackup(FileSystem& files, SQLiteDatabase& source,
                         const std::filesystem::path& destination);

}  // namespace orvale
