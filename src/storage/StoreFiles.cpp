#include "storage/StoreFiles.h"

#include "storage/LayoutSchema.h"

namespace orvale {

void removeIgnoringFailure(FileSystem& files, const std::filesystem::path& path) {
    try {
        if (files.exists(path)) files.remove(path);
    } catch (const FileSystemError&) {
    }
}

void removeSidecars(FileSystem& files, const std::filesystem::path& path) {
    for (std::string_view suffix : StorePaths::sidecarSuffixes) {
        removeIgnoringFailure(files, withSuffix(path, suffix));
    }
}

void removeFileSet(FileSystem& files, const std::filesystem::path& path) {
    removeIgnoringFailure(files, path);
    removeSidecars(files, path);
}

std::unique_ptr<SQLiteDatabase> openLiveConnection(const std::filesystem::path& path) {
    return std::make_unique<SQLiteDatabase>(path, SQLiteDatabase::OpenMode::readWrite,
                                            SQLiteDatabase::JournalPolicy::writeAhead, 2000);
}

std::unique_ptr<SQLiteDatabase> openCopy(const std::filesystem::path& path) {
    return std::make_unique<SQLiteDatabase>(path, SQLiteDatabase::OpenMode::readWrite,
                                            SQLiteDatabase::JournalPolicy::unchanged, 2000);
}

std::unique_ptr<SQLiteDatabase> createEmptyDatabase(const StorePaths& paths, FileSystem& files) {
    removeSidecars(files, paths.database);
    std::unique_ptr<SQLiteDatabase> live;
    try {
        live = std::make_unique<SQLiteDatabase>(paths.database,
                                                SQLiteDatabase::OpenMode::readWriteCreate,
                                                SQLiteDatabase::JournalPolicy::writeAhead, 2000);
    } catch (const SQLiteFailure& failure) {
        throw StorageError::storageUnavailable(failure.described());
    }
    LayoutSchema::migrate(*live, 0);
    live->quickCheck();
    return live;
}

}  // namespace orvale
