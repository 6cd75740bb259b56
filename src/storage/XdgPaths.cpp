#include "storage/XdgPaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace orvale {
namespace {

std::optional<std::filesystem::path> absoluteVariable(const EnvironmentLookup& env,
                                                      const char* name) {
    auto value = env(name);
    if (!value || value->empty()) return std::nullopt;
    std::filesystem::path path(*value);
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

std::optional<std::filesystem::path> baseFolder(const EnvironmentLookup& env, const char* variable,
                                                const std::filesystem::path& underHome) {
    if (auto path = absoluteVariable(env, variable)) return path;
    if (auto home = homeFolder(env)) return *home / underHome;
    return std::nullopt;
}

}  // namespace

EnvironmentLookup processEnvironment() {
    return [](const char* name) -> std::optional<std::string> {
        if (const char* value = std::getenv(name)) return std::string(value);
        if (std::string_view(name) != "HOME") return std::nullopt;
        // getpwuid_r is thread-safe; the buffer size comes from sysconf when known.
        long size = sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
        passwd entry{};
        passwd* result = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 || !result ||
            !result->pw_dir) {
            return std::nullopt;
        }
        return std::string(result->pw_dir);
    };
}

std::optional<std::filesystem::path> homeFolder(const EnvironmentLookup& env) {
    return absoluteVariable(env, "HOME");
}

std::optional<std::filesystem::path> configHome(const EnvironmentLookup& env) {
    return baseFolder(env, "XDG_CONFIG_HOME", ".config");
}

std::optional<std::filesystem::path> dataHome(const EnvironmentLookup& env) {
    return baseFolder(env, "XDG_DATA_HOME", std::filesystem::path(".local") / "share");
}

}  // namespace orvale
