#include "cli/Cli.h"

#include "cli/DisplayCommands.h"

namespace orvale::cli {
namespace {

constexpr const char* kUsage =
    "Usage: orvale <command>\n"
    "\n"
    "Orvale saves the arrangement of your open windows as named layouts and puts\n"
    "the windows back later.\n"
    "\n"
    "Commands:\n"
    "  displays  List the connected displays and their setup's signature.\n"
    "  windows   List the windows a layout would be saved from.\n"
    "  --help    Show this help.\n";

}  // namespace

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        err << kUsage;
        return kUsageError;
    }
    const std::string& command = arguments.front();
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return kSuccess;
    }
    if (command == "displays") return runDisplays(out, err);
    if (command == "windows") return runWindows(out, err);
    err << "orvale: unknown command “" << command << "”.\n\n" << kUsage;
    return kUsageError;
}

}  // namespace orvale::cli
