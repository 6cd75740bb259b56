#include "storage/StoreAdoption.h"

#include <vector>

#include "storage/StoreFiles.h"

namespace orvale {
namespace {

namespace fs = std::filesystem;

// One file to copy; a sidecar is copied only when its database was.
struct Copy {
    fs::path from;
    fs::path to;
    bool isSidecar = false;
};

std::vector<Copy> filesToAdopt(const StorePaths& paths, const fs::path& previous) {
    std::vector<Copy> copies;
    for (const auto& [name, destination] : {std::pair{"layouts.sqlite", paths.database},
                                            std::pair{"layouts.backup.sqlite", paths.backup}}) {
        copies.push_back({previous / name, destination});
        for (std::string_view suffix : {"-wal", "-journal"}) {
            copies.push_back(
                {withSuffix(previous / name, suffix), withSuffix(destination, suffix), true});
        }
    }
    copies.push_back({previous / "layouts.reset-pending", paths.resetMarker});
    return copies;
}

}  // namespace

std::optional<StorageNotice> adoptPreviousFolder(const StorePaths& paths, FileSystem& files) {
    if (files.exists(paths.database)) return std::nullopt;
    const fs::path previous = paths.legacyDirectory();
    if (!files.exists(previous / "layouts.sqlite")) return std::nullopt;

    std::vector<fs::path> copied;
    bool databaseCopied = false;
    try {
        for (const Copy& copy : filesToAdopt(paths, previous)) {
            if (!copy.isSidecar) databaseCopied = false;
            if (copy.isSidecar && !databaseCopied) continue;
            if (!files.exists(copy.from) || files.exists(copy.to)) continue;
            copied.push_back(copy.to);
            files.copy(copy.from, copy.to);
            if (!copy.isSidecar) databaseCopied = true;
        }
        // The copies count as adopted once their names are on disk too.
        files.syncFolder(paths.directory);
    } catch (const std::exception& error) {
        for (const fs::path& path : copied) removeIgnoringFailure(files, path);
        throw StorageError::storageUnavailable(
            "Saved layouts from the previous app name could not be copied to " +
            paths.directory.string() + ". " + error.what());
    }
    return StorageNotice{"Saved layouts copied to Orvale",
                         "Your saved layouts and backup were copied from the previous app name. "
                         "The old folder was left untouched.",
                         "Previous location: " + previous.string()};
}

}  // namespace orvale
