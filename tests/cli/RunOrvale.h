#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace orvale::testing {

// What one `orvale` command printed and answered.
struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs `orvale` with `arguments` in this process, without a terminal, with
// the data folder (XDG_DATA_HOME) `data` and the configuration folder
// (XDG_CONFIG_HOME) `config`; nothing else of the environment is seen.
inline Outcome runOrvale(const std::vector<std::string>& arguments,
                         const std::filesystem::path& data, const std::filesystem::path& config) {
    std::istringstream input;
    cli::StreamLineReader in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::run(arguments, {in, out, err, false},
                                [&](const char* name) -> std::optional<std::string> {
                                    if (std::string_view(name) == "XDG_DATA_HOME") {
                                        return data.string();
                                    }
                                    if (std::string_view(name) == "XDG_CONFIG_HOME") {
                                        return config.string();
                                    }
                                    return std::nullopt;
                                });
    return {status, out.str(), err.str()};
}

}  // namespace orvale::testing
