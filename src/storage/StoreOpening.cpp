#include "storage/StoreOpening.h"

#include <cmath>
#include <ctime>
#include <vector>

#include "storage/LayoutSchema.h"

namespace orvale {
namespace {

using Mode = SQLiteDatabase::OpenMode;
using Journal = SQLiteDatabase::JournalPolicy;
namespace fs = std::filesystem;

constexpr std::array<std::string_view, 4> kSetMembers{"", "-wal", "-shm", "-journal"};

// Everything the procedure needs, passed down instead of globals.
struct Context {
    const StorePaths& paths;
    StoreServices& services;
    FileSystem& files() const { return *services.fileSystem; }
};

void removeIgnoringFailure(FileSystem& files, const fs::path& path) {
    try {
        if (files.exists(path)) files.remove(path);
    } catch (const FileSystemError&) {
    }
}

void removeSidecars(FileSystem& files, const fs::path& path) {
    for (std::string_view suffix : StorePaths::sidecarSuffixes) {
        removeIgnoringFailure(files, withSuffix(path, suffix));
    }
}

// Deletes a file and its sidecars, ignoring failures.
void removeFileSet(FileSystem& files, const fs::path& path) {
    removeIgnoringFailure(files, path);
    removeSidecars(files, path);
}

std::string recoverySetNames(FileSystem& files, const fs::path& base) {
    std::string names;
    for (std::string_view suffix : kSetMembers) {
        const fs::path member = withSuffix(base, suffix);
        if (!files.exists(member)) continue;
        if (!names.empty()) names += ", ";
        names += member.filename().string();
    }
    return names;
}

void preserveRecoverySet(FileSystem& files, const fs::path& from, const fs::path& to) {
    std::vector<fs::path> made;
    for (std::string_view suffix : kSetMembers) {
        const fs::path source = withSuffix(from, suffix);
        if (!files.exists(source)) continue;
        const fs::path destination = withSuffix(to, suffix);
        try {
            if (files.exists(destination)) files.remove(destination);
            files.link(source, destination);
            made.push_back(destination);
        } catch (const FileSystemError& error) {
            for (const fs::path& link : made) removeIgnoringFailure(files, link);
            throw StorageError::recoveryFailed(
                "The damaged database could not be preserved: " + std::string(error.what()) +
                ". No active files were changed.");
        }
    }
}

void removeActiveSet(FileSystem& files, const StorePaths& paths) {
    if (files.exists(paths.database)) {
        try {
            files.remove(paths.database);
        } catch (const FileSystemError& error) {
            throw StorageError::recoveryFailed(
                "The damaged database could not be moved aside: " + std::string(error.what()) +
                ". No active files were changed.");
        }
    }
    removeSidecars(files, paths.database);
}

void restoreRecoverySet(FileSystem& files, const fs::path& from, const fs::path& to) {
    removeFileSet(files, to);
    for (std::string_view suffix : kSetMembers) {
        const fs::path source = withSuffix(from, suffix);
        try {
            if (files.exists(source)) files.link(source, withSuffix(to, suffix));
        } catch (const FileSystemError&) {
        }
    }
}

// Exclusive advisory record locks on SQLite's own lock bytes of the database
// (and its shared-memory file), so no other process uses the files while
// recovery moves them. Released (descriptors closed) when destroyed.
class RecoveryFileLock {
  public:
    RecoveryFileLock(FileSystem& files, const StorePaths& paths) : files_(files) {
        for (const fs::path& path : {paths.database, withSuffix(paths.database, "-shm")}) {
            if (!files_.exists(path)) continue;
            int descriptor = -1;
            try {
                descriptor = files_.openForLocking(path);
            } catch (const FileSystemError&) {
                release();
                throw StorageError::storageUnavailable(
                    "Exclusive recovery access to the layout database could not be established. "
                    "Close other apps using it, check file permissions, and try again.");
            }
            try {
                files_.lockRange(descriptor, 0x40000000, 512);
                files_.lockRange(descriptor, 0, 8);
            } catch (const FileSystemError&) {
                files_.closeDescriptor(descriptor);
                release();
                throw StorageError::storageUnavailable(
                    "Another app has the layout database open. Close it or try again.");
            }
            descriptors_.push_back(descriptor);
        }
    }
    ~RecoveryFileLock() { release(); }
    RecoveryFileLock(const RecoveryFileLock&) = delete;
    RecoveryFileLock& operator=(const RecoveryFileLock&) = delete;

  private:
    void release() {
        for (int descriptor : descriptors_) files_.closeDescriptor(descriptor);
        descriptors_.clear();
    }

    FileSystem& files_;
    std::vector<int> descriptors_;
};

StorageNotice incompleteResetNotice(const std::optional<StorageNotice>& existing,
                                    const std::string& message, const std::string& detail) {
    if (!existing) return StorageNotice{"Backup protection paused", message, detail};
    StorageNotice notice = *existing;
    notice.message += " " + message;
    notice.details = notice.details ? *notice.details + "\n\n" + detail : detail;
    return notice;
}

void clearResetMarker(Context& c) {
    if (!c.files().exists(c.paths.resetMarker)) return;
    try {
        c.files().remove(c.paths.resetMarker);
        c.files().syncFolder(c.paths.directory);
    } catch (const std::exception& error) {
        throw StorageError::writeFailed("The reset marker could not be removed: " +
                                        std::string(error.what()));
    }
}

void beginResetMarker(Context& c) {
    const std::string text =
        "Automatic recovery is paused until a backup of the reset database is saved.\n"
        "Reset started: " +
        StoreOpening::internetDateTime(c.services.clock.get().wallTime());
    try {
        writeDurably(c.files(), text, c.paths.resetMarker);
    } catch (const FileSystemError& error) {
        if (error.step() == "creating") {
            throw StorageError::writeFailed("The reset marker could not be created.");
        }
        throw;
    }
}

std::optional<StorageNotice> completePendingResetBackup(Context& c, SQLiteDatabase& database,
                                                        std::optional<StorageNotice> notice) {
    if (!c.files().exists(c.paths.resetMarker)) return notice;
    try {
        StoreOpening::makeBackup(c.files(), database, c.paths.backup);
    } catch (const std::exception& error) {
        return incompleteResetNotice(
            notice,
            "Saved data is available, but a clean backup couldn’t be "
            "saved. Older backups won’t be restored automatically.",
            "The next launch will try again. " + std::string(error.what()));
    }
    try {
        clearResetMarker(c);
    } catch (const std::exception& error) {
        return incompleteResetNotice(notice,
                                     "A clean backup was saved, but reset cleanup couldn’t finish. "
                                     "Restart Orvale to finish.",
                                     error.what());
    }
    return notice;
}

std::optional<StorageNotice> adoptLegacyStorageIfNeeded(Context& c) {
    FileSystem& files = c.files();
    const StorePaths& paths = c.paths;
    if (files.exists(paths.database)) return std::nullopt;
    const fs::path legacy = paths.legacyDirectory();
    if (!files.exists(legacy / "layouts.sqlite")) return std::nullopt;

    struct Pair {
        fs::path from;
        fs::path to;
    };
    std::vector<Pair> pairs;
    for (const auto& [name, destination] : {std::pair{"layouts.sqlite", paths.database},
                                            std::pair{"layouts.backup.sqlite", paths.backup}}) {
        pairs.push_back({legacy / name, destination});
        for (std::string_view suffix : {"-wal", "-journal"}) {
            pairs.push_back({withSuffix(legacy / name, suffix), withSuffix(destination, suffix)});
        }
    }
    pairs.push_back({legacy / "layouts.reset-pending", paths.resetMarker});

    std::vector<fs::path> copied;
    bool mainCopied = false;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const Pair& pair = pairs[i];
        // Sidecars follow their database file: they are copied only with it.
        const bool isSidecar = i % 3 != 0 && i < 6;
        if (!isSidecar) mainCopied = false;
        if (isSidecar && !mainCopied) continue;
        if (!files.exists(pair.from) || files.exists(pair.to)) continue;
        try {
            files.copy(pair.from, pair.to);
        } catch (const std::exception& error) {
            removeIgnoringFailure(files, pair.to);
            for (const fs::path& path : copied) removeIgnoringFailure(files, path);
            throw StorageError::storageUnavailable(
                "Saved layouts from the previous app name could not be copied to " +
                paths.directory.string() + ". " + error.what());
        }
        copied.push_back(pair.to);
        if (!isSidecar) mainCopied = true;
    }
    return StorageNotice{"Saved layouts copied to Orvale",
                         "Your saved layouts and backup were copied from the previous app name. "
                         "The old folder was left untouched.",
                         "Previous location: " + legacy.string()};
}

StorageOpenResult makeResult(Context& c, std::optional<StorageNotice> notice,
                             std::unique_ptr<SQLiteDatabase> database);

StorageOpenResult createEmptyDatabase(Context& c, std::optional<StorageNotice> notice) {
    removeSidecars(c.files(), c.paths.database);
    std::unique_ptr<SQLiteDatabase> live;
    try {
        live = std::make_unique<SQLiteDatabase>(c.paths.database, Mode::readWriteCreate,
                                                Journal::writeAhead, 2000);
    } catch (const SQLiteFailure& failure) {
        throw StorageError::storageUnavailable(failure.described());
    }
    LayoutSchema::migrate(*live, 0);
    live->quickCheck();
    notice = completePendingResetBackup(c, *live, std::move(notice));
    return makeResult(c, std::move(notice), std::move(live));
}

fs::path makeRecoveryCandidate(Context& c) {
    FileSystem& files = c.files();
    const fs::path candidate =
        c.paths.directory / ("Orvale.backup-candidate-" + Uuid::generate().text() + ".sqlite");
    try {
        files.copy(c.paths.backup, candidate);
    } catch (const std::exception& error) {
        removeFileSet(files, candidate);
        throw StorageError::recoveryFailed("The backup could not be copied: " +
                                           std::string(error.what()));
    }
    std::unique_ptr<SQLiteDatabase> database;
    try {
        database =
            std::make_unique<SQLiteDatabase>(candidate, Mode::readWrite, Journal::unchanged, 2000);
    } catch (const std::exception& error) {
        removeFileSet(files, candidate);
        throw StorageError::recoveryFailed("The backup could not be opened: " +
                                           std::string(error.what()));
    }
    try {
        database->quickCheck();
        database->foreignKeyCheck();
        const std::int64_t version = database->userVersion();
        if (version > LayoutSchema::kCurrentVersion) {
            throw StorageError::futureSchema(version, candidate.string());
        }
        if (version < LayoutSchema::kCurrentVersion) LayoutSchema::migrate(*database, version);
        LayoutSchema::loadLayouts(*database);
        LayoutSchema::loadExclusions(*database);
        database->foreignKeyCheck();
        database->execute("PRAGMA journal_mode = DELETE;");
        database->quickCheck();
        database->foreignKeyCheck();
        database->close();
        removeSidecars(files, candidate);
    } catch (...) {
        database->close();
        removeFileSet(files, candidate);
        throw;
    }
    return candidate;
}

StorageOpenResult recover(Context& c, const std::string& reason) {
    FileSystem& files = c.files();
    const StorePaths& paths = c.paths;
    const bool markerExisted = files.exists(paths.resetMarker);
    std::optional<fs::path> candidate;
    if (!markerExisted && files.exists(paths.backup)) {
        try {
            candidate = makeRecoveryCandidate(c);
        } catch (const StorageError&) {
            throw;
        } catch (const std::exception& error) {
            throw StorageError::recoveryFailed(reason + " The backup at " + paths.backup.string() +
                                               " could not be used: " + error.what() +
                                               " The original database was left in place.");
        }
    }
    // Deleted on every path out, whether or not it was installed.
    struct CandidateCleanup {
        FileSystem& files;
        const std::optional<fs::path>& candidate;
        ~CandidateCleanup() {
            if (candidate) removeFileSet(files, *candidate);
        }
    } cleanup{files, candidate};

    const fs::path preservedBase =
        paths.directory /
        ("Orvale.corrupt-" + StoreOpening::recoveryStamp(c.services.clock.get().wallTime()) +
         ".sqlite");
    RecoveryFileLock lock(files, paths);
    preserveRecoverySet(files, paths.database, preservedBase);
    const std::string names = recoverySetNames(files, preservedBase);
    try {
        removeActiveSet(files, paths);
    } catch (const StorageError&) {
        // Nothing active changed; the preserved links would only be clutter.
        for (std::string_view suffix : kSetMembers) {
            removeIgnoringFailure(files, withSuffix(preservedBase, suffix));
        }
        throw;
    }
    try {
        if (candidate) {
            files.rename(*candidate, paths.database);
            removeSidecars(files, paths.database);
            auto live = std::make_unique<SQLiteDatabase>(paths.database, Mode::readWrite,
                                                         Journal::writeAhead, 2000);
            live->quickCheck();
            return makeResult(c,
                              StorageNotice{"Your layouts are back",
                                            "Saved layouts were restored from the last backup. "
                                            "The damaged copy is kept for recovery.",
                                            "Preserved files: " + names + "."},
                              std::move(live));
        }
        const std::string message =
            markerExisted ? "Orvale couldn’t open the previous data, so it created a fresh, empty "
                            "library. The backup from before the last reset was not restored."
                          : "Orvale couldn’t open the previous data, so it created a fresh, empty "
                            "library. The original files were kept.";
        return createEmptyDatabase(c, StorageNotice{"Starting with a clean slate", message,
                                                    "Preserved files: " + names + "."});
    } catch (const std::exception& error) {
        restoreRecoverySet(files, preservedBase, paths.database);
        throw StorageError::recoveryFailed(
            reason + " The replacement could not be installed: " + error.what() +
            " The original files are preserved as " + names + ".");
    }
}

StorageOpenResult makeResult(Context& c, std::optional<StorageNotice> notice,
                             std::unique_ptr<SQLiteDatabase> database) {
    return StoreOpening::makeStore(c.paths, c.services, std::move(notice), std::move(database));
}

}  // namespace

StorageOpenResult StoreOpening::makeStore(const StorePaths& paths, StoreServices services,
                                          std::optional<StorageNotice> notice,
                                          std::unique_ptr<SQLiteDatabase> database) {
    std::unique_ptr<LayoutStore> store(
        new LayoutStore(paths, notice, std::move(database), std::move(services)));
    return StorageOpenResult{std::move(store), std::move(notice), paths};
}

StorageOpenResult StoreOpening::open(const StorePaths& paths, StoreServices services) {
    Context c{paths, services};
    FileSystem& files = c.files();
    try {
        files.createDirectories(paths.directory);
    } catch (const std::exception& error) {
        throw StorageError::storageUnavailable("Couldn’t create " + paths.directory.string() +
                                               ". " + error.what());
    }
    std::optional<StorageNotice> notice = adoptLegacyStorageIfNeeded(c);
    if (!files.exists(paths.database)) return createEmptyDatabase(c, std::move(notice));

    // Steps 1.4 to 1.8 on the read-only probe. A damaging SQLite failure at any
    // of them leads to recovery; `damage` carries its described text out of the
    // handler so the probe is closed first.
    std::unique_ptr<SQLiteDatabase> probe;
    std::optional<std::string> damage;
    auto classify = [&](const SQLiteFailure& failure) {
        if (probe) probe->close();
        if (!failure.isDamage()) throw StorageError::storageUnavailable(failure.described());
        damage = failure.described();
    };
    std::int64_t version = 0;
    try {
        probe = LayoutSchema::openPreflight(paths);
    } catch (const SQLiteFailure& failure) {
        classify(failure);
    }
    if (!damage) {
        try {
            version = probe->userVersion();
            if (version > LayoutSchema::kCurrentVersion) {
                probe->close();
                throw StorageError::futureSchema(version, paths.database.string());
            }
            probe->quickCheck();
        } catch (const SQLiteFailure& failure) {
            classify(failure);
        } catch (const StorageError&) {
            throw;
        } catch (const std::exception& error) {
            probe->close();
            throw StorageError::storageUnavailable(error.what());
        }
    }
    if (!damage && version == LayoutSchema::kCurrentVersion) {
        try {
            LayoutSchema::loadLayouts(*probe);
            LayoutSchema::loadExclusions(*probe);
            probe->foreignKeyCheck();
        } catch (const SQLiteFailure& failure) {
            classify(failure);
        } catch (...) {
            // A validation failure of a current file is shown as it is; the file
            // stays untouched rather than being replaced by an older backup.
            probe->close();
            throw;
        }
    } else if (!damage && version >= 1) {
        try {
            makeBackup(files, *probe, paths.backup);
        } catch (const std::exception& error) {
            probe->close();
            throw StorageError::storageUnavailable("Upgrade paused: backup failed. " +
                                                   std::string(error.what()));
        }
    }
    probe.reset();
    if (damage) return recover(c, *damage);

    std::unique_ptr<SQLiteDatabase> live;
    try {
        live = std::make_unique<SQLiteDatabase>(paths.database, Mode::readWrite,
                                                Journal::writeAhead, 2000);
        live->quickCheck();
        if (version != LayoutSchema::kCurrentVersion) {
            LayoutSchema::migrate(*live, version);
            live->quickCheck();
            LayoutSchema::loadLayouts(*live);
            LayoutSchema::loadExclusions(*live);
            live->foreignKeyCheck();
        }
    } catch (const SQLiteFailure& failure) {
        live.reset();
        if (failure.isDamage())
            damage = failure.described();
        else {
            throw StorageError::storageUnavailable("The open database could not be prepared. " +
                                                   failure.described());
        }
    } catch (const StorageError&) {
        throw;
    } catch (const std::exception& error) {
        throw StorageError::migrationFailed(error.what());
    }
    if (damage) return recover(c, *damage);

    if (version == 1) {
        notice = StorageNotice{"Display links refreshed",
                               "Re-link your layouts in Layout details to keep display automation "
                               "working.",
                               std::nullopt};
    }
    notice = completePendingResetBackup(c, *live, std::move(notice));
    return makeStore(paths, std::move(services), std::move(notice), std::move(live));
}

void StoreOpening::makeBackup(FileSystem& files, SQLiteDatabase& source,
                              const fs::path& destination) {
    const fs::path folder = destination.parent_path();
    const std::string prefix = destination.filename().string() + ".tmp-";
    try {
        for (const std::string& name : files.list(folder)) {
            if (name.starts_with(prefix)) removeFileSet(files, folder / name);
        }
    } catch (const FileSystemError&) {
        // Leftovers of an earlier attempt only take space; they never block a backup.
    }
    const fs::path temporary = folder / (prefix + Uuid::generate().text());
    try {
        source.backup(temporary);
        {
            SQLiteDatabase copy(temporary, Mode::readWrite, Journal::unchanged, 2000);
            copy.quickCheck();
            copy.foreignKeyCheck();
            const std::int64_t version = copy.userVersion();
            if (version > LayoutSchema::kCurrentVersion) {
                throw StorageError::futureSchema(version, temporary.string());
            }
            copy.execute("PRAGMA journal_mode = DELETE;");
            copy.quickCheck();
        }
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

fs::path StoreOpening::backupNow(LayoutStore& store) {
    Context c{store.paths_, store.services_};
    try {
        makeBackup(c.files(), *store.database_, store.paths_.backup);
        clearResetMarker(c);
    } catch (const StorageError&) {
        throw;
    } catch (const std::exception& error) {
        throw StorageError::backupFailed(error.what());
    }
    return store.paths_.backup;
}

std::optional<std::string> StoreOpening::resetDatabase(LayoutStore& store) {
    Context c{store.paths_, store.services_};
    SQLiteDatabase& database = *store.database_;
    try {
        beginResetMarker(c);
    } catch (const std::exception& error) {
        throw StorageError::resetFailed("A safe reset could not be started. Nothing was deleted. " +
                                        std::string(error.what()));
    }
    try {
        inImmediateTransaction(database, [&] {
            database.execute(
                "DELETE FROM windows;DELETE FROM displays;DELETE FROM layouts;"
                "DELETE FROM exclusions;");
        });
    } catch (...) {
        // The data is intact: back it up and clear the marker before reporting.
        completePendingResetBackup(c, database, std::nullopt);
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
        database.quickCheck();
        database.foreignKeyCheck();
        LayoutSchema::loadLayouts(database);
        LayoutSchema::loadExclusions(database);
        database.foreignKeyCheck();
    } catch (const std::exception& error) {
        return "Data cleared, but the database couldn’t be verified. Older backups won’t be used "
               "for automatic recovery. " +
               std::string(error.what());
    }
    try {
        makeBackup(c.files(), database, store.paths_.backup);
    } catch (const std::exception& error) {
        return "Data cleared, but a clean backup couldn’t be saved, so older backups won’t be used "
               "for automatic recovery. " +
               std::string(error.what());
    }
    try {
        clearResetMarker(c);
    } catch (const std::exception& error) {
        return "Data cleared and a clean backup was saved, but reset cleanup couldn’t finish. "
               "Restart Orvale to finish. " +
               std::string(error.what());
    }
    return std::nullopt;
}

std::string StoreOpening::internetDateTime(Timestamp time) {
    const std::time_t seconds = static_cast<std::time_t>(std::floor(time.secondsSince1970));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::string StoreOpening::recoveryStamp(Timestamp time) {
    const double floorSeconds = std::floor(time.secondsSince1970);
    const std::time_t seconds = static_cast<std::time_t>(floorSeconds);
    int milliseconds = static_cast<int>((time.secondsSince1970 - floorSeconds) * 1000);
    if (milliseconds > 999) milliseconds = 999;
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H-%M-%S", &parts);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, "-%03dZ", milliseconds % 1000);
    return std::string(text) + fraction;
}

}  // namespace orvale
