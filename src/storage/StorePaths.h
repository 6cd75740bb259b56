#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string_view>

#include "storage/XdgPaths.h"

namespace orvale {

// Where the layout database and the files around it live.
struct StorePaths {
    std::filesystem::path directory;
    std::filesystem::path database;     // directory / "Orvale.sqlite"
    std::filesystem::path backup;       // directory / "Orvale.backup.sqlite"
    std::filesystem::path resetMarker;  // directory / "Orvale.reset-pending"

    bool operator==(const StorePaths&) const = default;

    // The file set of a database file is the file itself plus these sidecars.
    static constexpr std::array<std::string_view, 3> sidecarSuffixes{"-wal", "-shm", "-journal"};

    // The paths inside `directory`.
    static StorePaths in(const std::filesystem::path& directory);

    // `dataHome(env)` / "Orvale"; the home folder's "Orvale" when no data folder
    // can be determined; nothing when there is no home folder either.
    static std::optional<StorePaths> forEnvironment(const EnvironmentLookup& env);

    // The folder "layouts" of the program's previous name, beside `directory`.
    std::filesystem::path legacyDirectory() const { return directory.parent_path() / "layouts"; }
};

// `path` with `suffix` appended to its last component.
std::filesystem::path withSuffix(const std::filesystem::path& path, std::string_view suffix);

}  // namespace orvale
