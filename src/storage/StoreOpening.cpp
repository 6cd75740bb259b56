#include "storage/StoreOpening.h"

#include <vector>

#include "storage/LayoutSchema.h"
#include "storage/ResetMarker.h"
#include "storage/StoreAdoption.h"
#include "storage/StoreBackup.h"
#include "storage/StoreFiles.h"
#include "storage/StoreRecovery.h"

namespace orvale {
namespace {

// A folder made here is flushed into its parent, so that it survives a power
// loss together with the files that go into it.
void ensureFolder(const StorePaths& paths, FileSystem& files) {
    try {
        std::vector<std::filesystem::path> made;
        for (auto folder = paths.directory; !folder.empty() && !files.exists(folder);
             folder = folder.parent_path()) {
            made.push_back(folder);
        }
        files.createDirectories(paths.directory);
        for (const auto& folder : made) files.syncFolder(folder.parent_path());
    } catch (const std::exception& error) {
        throw StorageError::storageUnavailable("Couldn’t create " + paths.directory.string() +
                                               ". " + error.what());
    }
}

// What the read-only probe found: the file's version and, for a current one,
// what it loaded; or the damage that sends the file to recovery.
struct Probe {
    std::int64_t version = 0;
    std::optional<std::string> damage;
    std::optional<StoreContent> content;
};

StoreContent load(SQLiteDatabase& database) {
    return {LayoutSchema::loadLayouts(database), LayoutSchema::loadExclusions(database)};
}

// Steps 3 and 4. A damaging SQLite failure is returned as damage after the
// probe is closed; any other failure is raised.
Probe probeExistingFile(const StorePaths& paths, FileSystem& files) {
    Probe result;
    std::unique_ptr<SQLiteDatabase> probe;
    auto classify = [&](const SQLiteFailure& failure) {
        if (probe) probe->close();
        if (!failure.isDamage()) throw StorageError::storageUnavailable(failure.described());
        result.damage = failure.described();
    };
    try {
        probe = LayoutSchema::openPreflight(paths);
        // The quick check, the load and the foreign-key check each read the
        // whole file; a cache that holds it (up to 32 MiB) reads it from disk once.
        probe->execute("PRAGMA cache_size = -32768;");
        result.version = probe->userVersion();
        if (result.version > LayoutSchema::kCurrentVersion) {
            probe->close();
            throw StorageError::futureSchema(result.version, paths.database.string());
        }
        probe->quickCheck();
    } catch (const SQLiteFailure& failure) {
        classify(failure);
        return result;
    } catch (const StorageError&) {
        throw;
    } catch (const std::exception& error) {
        if (probe) probe->close();
        throw StorageError::storageUnavailable(error.what());
    }
    if (result.version == LayoutSchema::kCurrentVersion) {
        try {
            result.content = load(*probe);
            probe->foreignKeyCheck();
        } catch (const SQLiteFailure& failure) {
            classify(failure);
        } catch (...) {
            // A validation failure of a current file is shown as it is; the
            // file stays untouched rather than being replaced by an older backup.
            probe->close();
            throw;
        }
    } else if (result.version >= 1) {
        try {
            writeVerifiedBackup(files, *probe, paths.backup);
        } catch (const std::exception& error) {
            probe->close();
            throw StorageError::storageUnavailable("Upgrade paused: backup failed. " +
                                                   std::string(error.what()));
        }
    }
    return result;
}

// Step 5: the live connection, with an older file checked, upgraded and
// checked again (`content` then holds what it loaded). Null with `damage` set
// when the file turns out damaged.
std::unique_ptr<SQLiteDatabase> openLive(const StorePaths& paths, std::int64_t version,
                                         std::optional<std::string>& damage,
                                         std::optional<StoreContent>& content) {
    try {
        auto live = openLiveConnection(paths.database);
        // A current file passed every check on the probe a moment ago, and
        // nothing else may write it while opening runs: checking it again here
        // would only repeat the same quick check.
        if (version == LayoutSchema::kCurrentVersion) return live;
        live->quickCheck();
        LayoutSchema::migrate(*live, version);
        live->quickCheck();
        content = load(*live);
        live->foreignKeyCheck();
        return live;
    } catch (const SQLiteFailure& failure) {
        if (!failure.isDamage()) {
            throw StorageError::storageUnavailable("The open database could not be prepared. " +
                                                   failure.described());
        }
        damage = failure.described();
        return nullptr;
    } catch (const StorageError&) {
        throw;
    } catch (const std::exception& error) {
        throw StorageError::migrationFailed(error.what());
    }
}

}  // namespace

StorageOpenResult openLayoutStore(const StorePaths& paths, StoreServices services) {
    FileSystem& files = *services.fileSystem;
    ensureFolder(paths, files);
    OpenedDatabase opened{nullptr, adoptPreviousFolder(paths, files)};
    if (!files.exists(paths.database)) {
        opened.live = createEmptyDatabase(paths, files);
    } else {
        Probe probe = probeExistingFile(paths, files);
        std::optional<std::string> damage = probe.damage;
        opened.verified = std::move(probe.content);
        if (!damage) opened.live = openLive(paths, probe.version, damage, opened.verified);
        if (damage) {
            opened = recoverDamagedDatabase(paths, services, *damage);
        } else if (probe.version == 1) {
            opened.notice = StorageNotice{
                "Display links refreshed",
                "Re-link your layouts in Layout details to keep display automation working.",
                std::nullopt};
        }
    }
    opened.notice =
        completePendingResetBackup(paths, files, *opened.live, std::move(opened.notice));
    auto store = std::make_unique<LayoutStore>(paths, std::move(services), std::move(opened.live),
                                               opened.notice, std::move(opened.verified));
    return StorageOpenResult{std::move(store), std::move(opened.notice), paths};
}

StorageOpenResult LayoutStore::open(const StorePaths& paths, StoreServices services) {
    return openLayoutStore(paths, std::move(services));
}

}  // namespace orvale
