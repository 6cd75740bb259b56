#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "storage/XdgPaths.h"

namespace orvale::cli {

// Exit statuses of the command line.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsageError = 2;

// Runs `orvale` with the arguments after the program name. The store lives
// under the data folder that `environment` names, so tests point it
// at a temporary folder. A failure prints the error's description and its
// recovery suggestion to `err` and returns kFailure; a usage error returns
// kUsageError.
int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
        const EnvironmentLookup& environment = processEnvironment());

}  // namespace orvale::cli
