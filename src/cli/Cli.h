#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orvale::cli {

// Exit statuses of the command line.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsageError = 2;

// Runs `orvale` with the arguments after the program name.
int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace orvale::cli
