#include "cli/Cli.h"

namespace orvale::cli {
namespace {

constexpr const char* kUsage =
    "Usage: orvale <command>\n"
    "\n"
    "Orvale saves the arrangement of your open windows as named layouts and puts\n"
    "the windows back later.\n"
    "\n"
    "Commands:\n"
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
    err << "orvale: unknown command “" << command << "”.\n\n" << kUsage;
    return kUsageError;
}

}  // namespace orvale::cli
