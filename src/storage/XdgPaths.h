#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace orvale {

// Reads one environment variable; tests pass their own.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The process environment, with the home folder falling back to the password
// database when HOME is unset.
EnvironmentLookup processEnvironment();

// The per-user base folders. A variable that is unset, empty or not an
// absolute path is ignored, as the base-directory convention requires; then the
// default under the home folder is used. Nothing when no home folder is known.
std::optional<std::filesystem::path> configHome(const EnvironmentLookup& env);
std::optional<std::filesystem::path> dataHome(const EnvironmentLookup& env);
std::optional<std::filesystem::path> homeFolder(const EnvironmentLookup& env);

}  // namespace orvale
