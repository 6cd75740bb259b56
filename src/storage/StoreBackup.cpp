#include "storage/StoreBackup.h"

#include "model/Uuid.h"
#include "storage/LayoutSchema.h"
#include "storage/StoreFiles.h"

namespace orvale {
namespace {

namespace fs = std::filesystem;

// Leftovers of an earlier attempt only take space; they never block a backup.
void removeEarlierTemporaries(FileSystem& files, const fs::path& folder,
                              const std::string& prefix) {
    try {
        for (const std::string& name : files.list(folder)) {
            if (name.starts_with(prefix)) removeFileSet(files, folder / name);
        }
    } catch (const FileSystemError&) {
    }
}

// The copy must read as a database this program can use, in one file.
void checkCopy(const fs::path& copy) {
    auto database = openCopy(copy);
    database->quickCheck();
    database->foreignKeyCheck();
    const std::int64_t version = database->userVersion();
    if (version > LayoutSchema::kCurrentVersion) {
        throw StorageError::futureSchema(version, copy.string());
    }
    database->execute("PRAGMA journal_mode = DELETE;");
    database->quickCheck();
}

}  // namespace

void writeVerifiedBackup(FileSystem& files, SQLiteDatabase& source, const fs::path& destination) {
    const fs::path folder = destination.parent_path();
    const std::string prefix = destination.filename().string() + ".tmp-";
    removeEarlierTemporaries(files, folder, prefix);
    const fs::path temporary = folder / (prefix + Uuid::generate().text());
    try {
        source.backup(temporary);
        checkCopy(temporary);
        removeSidecars(files, temporary);
        files.syncFile(temporary);
        try {
            files.rename(temporary, destination);
        } catch (const std::exception& error) {
            throw StorageError::backupFailed("Backup update failed. Previous backup kept. " +
                                             std::string(error.what()));
        }
        removeSidecars(files, destination);
        files.syncFolder(folder);
    } catch (...) {
        removeFileSet(files, temporary);
        throw;
    }
    removeFileSet(files, temporary);
}

}  // namespace orvale
