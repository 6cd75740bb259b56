#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string_view>

#include "storage/FileSystem.h"
#include "storage/SQLite.h"
#include "storage/StorePaths.h"

// The file set of a database (the file and SQLite's sidecars) and the
// connections the opening, recovery, backup and reset steps open on it.
namespace orvale {

// The members of a file set as suffixes of the database file's name: the file
// itself first, then its sidecars.
inline constexpr std::array<std::string_view, 4> kFileSetMembers{"", "-wal", "-shm", "-journal"};

// Deletes `path` if it exists. A failure is ignored: the callers use it for
// leftovers that only take space, on paths that are already failing.
void removeIgnoringFailure(FileSystem& files, const std::filesystem::path& path);
// Deletes the sidecars of `path`, ignoring failures.
void removeSidecars(FileSystem& files, const std::filesystem::path& path);
// Deletes `path` and its sidecars, ignoring failures.
void removeFileSet(FileSystem& files, const std::filesystem::path& path);

// The store's live connection to `path`: read-write, write-ahead logging,
// busy timeout 2 s. Throws SQLiteFailure.
std::unique_ptr<SQLiteDatabase> openLiveConnection(const std::filesystem::path& path);

// A connection to a copy that the steps check and then install or discard:
// read-write, journal mode as the file has it, busy timeout 2 s.
std::unique_ptr<SQLiteDatabase> openCopy(const std::filesystem::path& path);

// A new, empty version-3 database at `paths.database` on a live connection,
// after deleting any sidecars left beside it, quick-checked. A file that cannot
// be created is StorageError::storageUnavailable; a failing check or schema
// write is raised as SQLite reports it.
std::unique_ptr<SQLiteDatabase> createEmptyDatabase(const StorePaths& paths, FileSystem& files);

}  // namespace orvale
