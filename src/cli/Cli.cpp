#include "cli/Cli.h"

#include "cli/DisplayCommands.h"
#include "storage/LayoutStore.h"

namespace orvale::cli {
namespace {

constexpr const char* kUsage =
    "Usage: orvale <command>\n"
    "\n"
    "Orvale saves the arrangement of your open windows as named layouts and puts\n"
    "the windows back later.\n"
    "\n"
    "Commands:\n"
    "  list      Open the layout database (upgrading or recovering it when needed)\n"
    "            and list the saved layouts with their windows and displays.\n"
    "  backup    Save a verified backup of the layout database and print its path.\n"
    "  displays  List the connected displays and their setup's signature.\n"
    "  windows   List the windows a layout would be saved from.\n"
    "  --help    Show this help.\n";

std::string counted(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

StorageOpenResult openStore(const EnvironmentLookup& environment, std::ostream& out) {
    const auto paths = StorePaths::forEnvironment(environment);
    if (!paths) {
        throw StorageError::storageUnavailable(
            "No data folder or home folder is known; set XDG_DATA_HOME or HOME.");
    }
    StorageOpenResult result = LayoutStore::open(*paths);
    if (result.notice) {
        out << result.notice->title << "\n" << result.notice->message << "\n";
        if (result.notice->details) out << result.notice->details.value() << "\n";
        out << "\n";
    }
    return result;
}

int list(const EnvironmentLookup& environment, std::ostream& out) {
    const StorageOpenResult result = openStore(environment, out);
    const auto layouts = result.store->loadLayouts();
    if (layouts.empty()) out << "No saved layouts.\n";
    for (const Layout& layout : layouts) {
        out << layout.name << "\t" << counted(layout.entries.size(), "window", "windows") << "\t"
            << counted(layout.displays.size(), "display", "displays") << "\n";
    }
    return kSuccess;
}

int backup(const EnvironmentLookup& environment, std::ostream& out) {
    const StorageOpenResult result = openStore(environment, out);
    out << result.store->backupNow().string() << "\n";
    return kSuccess;
}

}  // namespace

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
        const EnvironmentLookup& environment) {
    if (arguments.empty()) {
        err << kUsage;
        return kUsageError;
    }
    const std::string& command = arguments.front();
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return kSuccess;
    }
    const bool storageCommand = command == "list" || command == "backup";
    if (!storageCommand && command != "displays" && command != "windows") {
        err << "orvale: unknown command “" << command << "”.\n\n" << kUsage;
        return kUsageError;
    }
    if (arguments.size() > 1) {
        err << "orvale: “" << command << "” takes no arguments.\n\n" << kUsage;
        return kUsageError;
    }
    if (command == "displays") return runDisplays(out, err);
    if (command == "windows") return runWindows(out, err);
    try {
        return command == "list" ? list(environment, out) : backup(environment, out);
    } catch (const StorageError& error) {
        err << error.description() << "\n" << error.recoverySuggestion() << "\n";
    } catch (const SQLiteFailure& failure) {
        err << failure.described() << "\n";
    } catch (const std::exception& error) {
        err << error.what() << "\n";
    }
    return kFailure;
}

}  // namespace orvale::cli
