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

    // Everything is copied under a temporary name first and the database is
    // renamed into place last: its name is what says adoption happened, so a
    // run stopped any earlier is simply done again at the next start.
    std::vector<Copy> staged;
    bool databaseCopied = false;
    try {
        for (const Copy& copy : filesToAdopt(paths, previous)) {
            if (!copy.isSidecar) databaseCopied = false;
            if (copy.isSidecar && !databaseCopied) continue;
            if (!files.exists(copy.from) || files.exists(copy.to)) continue;
            const fs::path temporary = withSuffix(copy.to, ".adopting");
            if (files.exists(temporary)) files.remove(temporary);
            staged.push_back({temporary, copy.to, copy.isSidecar});
            files.copy(copy.from, temporary);
            if (!copy.isSidecar) databaseCopied = true;
        }
        for (const Copy& copy : staged) {
            if (copy.to != paths.database) files.rename(copy.from, copy.to);
        }
        files.syncFolder(paths.directory);
        files.rename(withSuffix(paths.database, ".adopting"), paths.database);
        files.syncFolder(paths.directory);
    } catch (const std::exception& error) {
        for (const Copy& copy : staged) {
            removeIgnoringFailure(files, copy.from);
            if (copy.to != paths.database) removeIgnoringFailure(files, copy.to);
        }
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
