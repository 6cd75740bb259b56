#include "storage/StoreRecovery.h"

#include <cmath>
#include <ctime>
#include <vector>

#include "model/Uuid.h"
#include "storage/LayoutSchema.h"
#include "storage/RecoveryLock.h"
#include "storage/StoreFiles.h"

namespace orvale {
namespace {

namespace fs = std::filesystem;

// The time in internet date-time form with milliseconds in UTC, every ":" and
// "." replaced by "-", e.g. 2026-01-31T09-15-02-345Z.
std::string recoveryStamp(Timestamp time) {
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

std::string fileSetNames(FileSystem& files, const fs::path& base) {
    std::string names;
    for (std::string_view suffix : kFileSetMembers) {
        const fs::path member = withSuffix(base, suffix);
        if (!files.exists(member)) continue;
        if (!names.empty()) names += ", ";
        names += member.filename().string();
    }
    return names;
}

void preserveDamagedSet(FileSystem& files, const fs::path& from, const fs::path& to) {
    std::vector<fs::path> made;
    for (std::string_view suffix : kFileSetMembers) {
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

StorageError cannotMoveAside(const FileSystemError& error) {
    return StorageError::recoveryFailed(
        "The damaged database could not be moved aside: " + std::string(error.what()) +
        ". No active files were changed.");
}

void removeLiveSidecars(FileSystem& files, const StorePaths& paths) {
    for (std::string_view suffix : StorePaths::sidecarSuffixes) {
        const fs::path sidecar = withSuffix(paths.database, suffix);
        if (!files.exists(sidecar)) continue;
        try {
            files.remove(sidecar);
        } catch (const FileSystemError& error) {
            throw cannotMoveAside(error);
        }
    }
}

void removeLiveSet(FileSystem& files, const StorePaths& paths) {
    if (files.exists(paths.database)) {
        try {
            files.remove(paths.database);
        } catch (const FileSystemError& error) {
            throw cannotMoveAside(error);
        }
    }
    removeSidecars(files, paths.database);
}

void putBackDamagedSet(FileSystem& files, const fs::path& from, const fs::path& to) {
    removeFileSet(files, to);
    for (std::string_view suffix : kFileSetMembers) {
        const fs::path source = withSuffix(from, suffix);
        try {
            if (files.exists(source)) files.link(source, withSuffix(to, suffix));
        } catch (const FileSystemError&) {
        }
    }
}

// A copy of the backup that passed every check opening would make, upgraded
// and in one file, ready to be renamed into place.
fs::path checkedBackupCopy(const StorePaths& paths, FileSystem& files) {
    const fs::path candidate =
        paths.directory / ("Orvale.backup-candidate-" + Uuid::generate().text() + ".sqlite");
    try {
        files.copy(paths.backup, candidate);
    } catch (const std::exception& error) {
        removeFileSet(files, candidate);
        throw StorageError::recoveryFailed("The backup could not be copied: " +
                                           std::string(error.what()));
    }
    std::unique_ptr<SQLiteDatabase> database;
    try {
        database = openCopy(candidate);
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

// Deletes the backup copy on every path out, whether or not it was installed.
struct CandidateCleanup {
    FileSystem& files;
    const std::optional<fs::path>& candidate;
    ~CandidateCleanup() {
        if (candidate) removeFileSet(files, *candidate);
    }
};

}  // namespace

OpenedDatabase recoverDamagedDatabase(const StorePaths& paths, const StoreServices& services,
                                      const std::string& reason) {
    FileSystem& files = *services.fileSystem;
    const bool markerExisted = files.exists(paths.resetMarker);
    std::optional<fs::path> candidate;
    if (!markerExisted && files.exists(paths.backup)) {
        try {
            candidate = checkedBackupCopy(paths, files);
        } catch (const StorageError&) {
            throw;
        } catch (const std::exception& error) {
            throw StorageError::recoveryFailed(reason + " The backup at " + paths.backup.string() +
                                               " could not be used: " + error.what() +
                                               " The original database was left in place.");
        }
    }
    CandidateCleanup cleanup{files, candidate};

    const fs::path preserved =
        paths.directory /
        ("Orvale.corrupt-" + recoveryStamp(services.clock.get().wallTime()) + ".sqlite");
    RecoveryLock lock(files, paths);
    preserveDamagedSet(files, paths.database, preserved);
    const std::string names = fileSetNames(files, preserved);
    try {
        // The backup copy replaces the damaged file in one rename, so that a
        // run stopped at any point leaves one or the other in place. Its
        // sidecars go first: a journal left beside the copy would be played
        // back into it.
        if (candidate) {
            removeLiveSidecars(files, paths);
        } else {
            removeLiveSet(files, paths);
        }
    } catch (const StorageError&) {
        // Nothing live changed; the preserved links would only be clutter.
        for (std::string_view suffix : kFileSetMembers) {
            removeIgnoringFailure(files, withSuffix(preserved, suffix));
        }
        throw;
    }
    try {
        if (candidate) {
            files.rename(*candidate, paths.database);
            // The kept damaged set and the installed copy are on disk before
            // anything is written to the copy.
            files.syncFolder(paths.directory);
            auto live = openLiveConnection(paths.database);
            live->quickCheck();
            return {std::move(live),
                    StorageNotice{"Your layouts are back",
                                  "Saved layouts were restored from the last backup. The damaged "
                                  "copy is kept for recovery.",
                                  "Preserved files: " + names + "."}};
        }
        const std::string message =
            markerExisted ? "Orvale couldn’t open the previous data, so it created a fresh, empty "
                            "library. The backup from before the last reset was not restored."
                          : "Orvale couldn’t open the previous data, so it created a fresh, empty "
                            "library. The original files were kept.";
        auto live = createEmptyDatabase(paths, files);
        files.syncFolder(paths.directory);
        return {std::move(live), StorageNotice{"Starting with a clean slate", message,
                                               "Preserved files: " + names + "."}};
    } catch (const std::exception& error) {
        putBackDamagedSet(files, preserved, paths.database);
        throw StorageError::recoveryFailed(
            reason + " The replacement could not be installed: " + error.what() +
            " The original files are preserved as " + names + ".");
    }
}

}  // namespace orvale
