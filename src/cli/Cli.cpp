#include "cli/Cli.h"

#include "cli/Arguments.h"
#include "cli/DisplayCommands.h"
#include "cli/ModelHost.h"

namespace orvale::cli {

int run(const std::vector<std::string>& arguments, Terminal terminal,
        const EnvironmentLookup& environment) {
    const ParsedArguments parsed = parseArguments(arguments);
    if (parsed.help) {
        terminal.out << *parsed.help;
        return kSuccess;
    }
    if (parsed.error) {
        terminal.err << *parsed.error;
        return kUsageError;
    }
    switch (parsed.command->name) {
        case CommandName::displays:
            return runDisplays(terminal.out, terminal.err);
        case CommandName::windows:
            return runWindows(terminal.out, terminal.err);
        default:
            return runThroughModel(*parsed.command, terminal, environment);
    }
}

}  // namespace orvale::cli
