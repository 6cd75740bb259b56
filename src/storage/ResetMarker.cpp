#include "storage/ResetMarker.h"

#include <cmath>
#include <ctime>

#include "storage/StoreBackup.h"

namespace orvale {
namespace {

// Internet date-time form in whole seconds, e.g. 2026-01-31T09:15:02Z.
std::string internetDateTime(Timestamp time) {
    const std::time_t seconds = static_cast<std::time_t>(std::floor(time.secondsSince1970));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

StorageNotice incompleteResetNotice(const std::optional<StorageNotice>& existing,
                                    const std::string& message, const std::string& detail) {
    if (!existing) return StorageNotice{"Backup protection paused", message, detail};
    StorageNotice notice = *existing;
    notice.message += " " + message;
    notice.details = notice.details ? *notice.details + "\n\n" + detail : detail;
    return notice;
}

}  // namespace

void beginResetMarker(const StorePaths& paths, FileSystem& files, Timestamp started) {
    const std::string text =
        "Automatic recovery is paused until a backup of the reset database is saved.\n"
        "Reset started: " +
        internetDateTime(started);
    try {
        writeDurably(files, text, paths.resetMarker);
    } catch (const FileSystemError& error) {
        if (error.step() == "creating") {
            throw StorageError::writeFailed("The reset marker could not be created.");
        }
        throw;
    }
}

void clearResetMarker(const StorePaths& paths, FileSystem& files) {
    if (!files.exists(paths.resetMarker)) return;
    try {
        files.remove(paths.resetMarker);
        files.syncFolder(paths.directory);
    } catch (const std::exception& error) {
        throw StorageError::writeFailed("The reset marker could not be removed: " +
                                        std::string(error.what()));
    }
}

std::filesystem::path backUpLiveDatabase(const StorePaths& paths, FileSystem& files,
                                         SQLiteDatabase& live) {
    try {
        writeVerifiedBackup(files, live, paths.backup);
        clearResetMarker(paths, files);
    } catch (const StorageError&) {
        throw;
    } catch (const std::exception& error) {
        throw StorageError::backupFailed(error.what());
    }
    return paths.backup;
}

std::optional<StorageNotice> completePendingResetBackup(const StorePaths& paths, FileSystem& files,
                                                        SQLiteDatabase& live,
                                                        std::optional<StorageNotice> notice) {
    if (!files.exists(paths.resetMarker)) return notice;
    try {
        writeVerifiedBackup(files, live, paths.backup);
    } catch (const std::exception& error) {
        return incompleteResetNotice(
            notice,
            "Saved data is available, but a clean backup couldn’t be "
            "saved. Older backups won’t be restored automatically.",
            "The next launch will try again. " + std::string(error.what()));
    }
    try {
        clearResetMarker(paths, files);
    } catch (const std::exception& error) {
        return incompleteResetNotice(notice,
                                     "A clean backup was saved, but reset cleanup couldn’t finish. "
                                     "Restart Orvale to finish.",
                                     error.what());
    }
    return notice;
}

}  // namespace orvale
