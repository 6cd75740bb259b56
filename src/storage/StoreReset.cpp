#include "storage/StoreReset.h"

#include <cmath>
#include <ctime>

#include "storage/LayoutSchema.h"
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

// Deletes every layout and exclusion in one transaction that is on disk when
// it returns: the backup taken next stands for the cleared data, and a
// write-ahead commit is otherwise flushed only at the next checkpoint.
void clearDurably(SQLiteDatabase& live) {
    live.execute("PRAGMA synchronous = FULL;");
    try {
        inImmediateTransaction(live, [&] {
            live.execute(
                "DELETE FROM windows;DELETE FROM displays;DELETE FROM layouts;"
                "DELETE FROM exclusions;");
        });
    } catch (...) {
        live.execute("PRAGMA synchronous = NORMAL;");
        throw;
    }
    live.execute("PRAGMA synchronous = NORMAL;");
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

std::optional<std::string> resetLiveDatabase(const StorePaths& paths, const StoreServices& services,
                                             SQLiteDatabase& live) {
    FileSystem& files = *services.fileSystem;
    try {
        beginResetMarker(paths, files, services.clock.get().wallTime());
    } catch (const std::exception& error) {
        throw StorageError::resetFailed("A safe reset could not be started. Nothing was deleted. " +
                                        std::string(error.what()));
    }
    try {
        clearDurably(live);
    } catch (...) {
        // The data is intact: back it up and clear the marker before reporting.
        completePendingResetBackup(paths, files, live, std::nullopt);
        try {
            throw;
        } catch (const SQLiteFailure& failure) {
            throw StorageError::resetFailed(failure.described());
        } catch (const StorageError&) {
            throw;
        } catch (const std::exception& error) {
            throw StorageError::resetFailed(error.what());
        }
    }
    try {
        live.quickCheck();
        live.foreignKeyCheck();
        LayoutSchema::loadLayouts(live);
        LayoutSchema::loadExclusions(live);
        live.foreignKeyCheck();
    } catch (const std::exception& error) {
        return "Data cleared, but the database couldn’t be verified. Older backups won’t be used "
               "for automatic recovery. " +
               std::string(error.what());
    }
    try {
        writeVerifiedBackup(files, live, paths.backup);
    } catch (const std::exception& error) {
        return "Data cleared, but a clean backup couldn’t be saved, so older backups won’t be used "
               "for automatic recovery. " +
               std::string(error.what());
    }
    try {
        clearResetMarker(paths, files);
    } catch (const std::exception& error) {
        return "Data cleared and a clean backup was saved, but reset cleanup couldn’t finish. "
               "Restart Orvale to finish. " +
               std::string(error.what());
    }
    return std::nullopt;
}

}  // namespace orvale
