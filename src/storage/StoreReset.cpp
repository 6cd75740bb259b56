#include "storage/StoreReset.h"

#include "storage/LayoutSchema.h"
#include "storage/ResetMarker.h"
#include "storage/StoreBackup.h"

namespace orvale {
namespace {

// Deletes every layout and exclusion in one transaction. The live connection
// commits durably, so the backup taken next stands for data that is on disk.
void clearDurably(SQLiteDatabase& live) {
    inImmediateTransaction(live, [&] {
        live.execute(
            "DELETE FROM windows;DELETE FROM displays;DELETE FROM layouts;"
            "DELETE FROM exclusions;");
    });
}

}  // namespace

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
