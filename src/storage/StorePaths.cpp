#include "storage/StorePaths.h"

namespace orvale {

StorePaths StorePaths::in(const std::filesystem::path& directory) {
    return StorePaths{directory, directory / "Orvale.sqlite", directory / "Orvale.backup.sqlite",
                      directory / "Orvale.reset-pending"};
}

std::optional<StorePaths> StorePaths::forEnvironment(const EnvironmentLookup& env) {
    if (auto base = dataHome(env)) return in(*base / "Orvale");
    if (auto home = homeFolder(env)) return in(*home / "Orvale");
    return std::nullopt;
}

std::filesystem::path withSuffix(const std::filesystem::path& path, std::string_view suffix) {
    std::filesystem::path result = path;
    result += std::string(suffix);
    return result;
}

}  // namespace orvale
