#pragma once

#include <string>
#include <vector>

#include "cli/CommandSession.h"
#include "storage/XdgPaths.h"

namespace orvale::cli {

// Runs `orvale` with the arguments after the program name and answers the
// exit status. The store and the preferences live under the folders that
// `environment` names, so tests point them at a temporary folder. Help goes
// to the output; usage errors, failures (as the model's texts) and anything
// that needs a choice without a terminal go to the errors.
int run(const std::vector<std::string>& arguments, Terminal terminal,
        const EnvironmentLookup& environment = processEnvironment());

}  // namespace orvale::cli
