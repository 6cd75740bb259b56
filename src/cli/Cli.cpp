#include "cli/Cli.h"

#include <QApplication>
#include <QCoreApplication>
#include <memory>

#include "cli/Arguments.h"
#include "cli/BusClient.h"
#include "cli/DisplayCommands.h"
#include "cli/ModelHost.h"
#include "cli/Resident.h"

namespace orvale::cli {
namespace {

constexpr char kNotRunning[] =
    "Orvale is not running in the background. Start it with “orvale daemon”, or run “orvale” "
    "on your desktop.\n";

// What a command that only the running program can carry out says without
// it.
std::optional<int> withoutResident(CommandName name, std::ostream& err) {
    switch (name) {
        case CommandName::undo:
            err << "There is no restore to undo: only a running Orvale remembers the last "
                   "restore.\n"
                << kNotRunning;
            return kFailure;
        case CommandName::status:
            err << kNotRunning;
            return kFailure;
        default:
            return std::nullopt;
    }
}

}  // namespace

int run(const std::vector<std::string>& arguments, Terminal terminal,
        const EnvironmentLookup& environment) {
    // On a desktop, “orvale” alone starts the program with its tray item.
    const bool desktop = arguments.empty() && environment("DISPLAY");
    const ParsedArguments parsed =
        parseArguments(desktop ? std::vector<std::string>{"daemon"} : arguments);
    if (parsed.help) {
        terminal.out << *parsed.help;
        return kSuccess;
    }
    if (parsed.error) {
        terminal.err << *parsed.error;
        return kUsageError;
    }
    const Command& command = *parsed.command;
    if (command.name == CommandName::displays) return runDisplays(terminal.out, terminal.err);
    if (command.name == CommandName::windows) return runWindows(terminal.out, terminal.err);

    int argc = 1;
    char name[] = "orvale";
    char* argv[] = {name, nullptr};
    // The name trays and screen readers show.
    QCoreApplication::setApplicationName("Orvale");
    if (desktop) {
        // Qt ends the process when it cannot open the display; said here
        // in this program's words instead.
        if (!openDesktop(terminal.err)) return kFailure;
        // Orvale's windows and overlays live on the X server whose windows
        // it moves, even where Qt would pick Wayland (an X11 server such as
        // XWayland beside a Wayland compositor); a platform the user chose
        // stands.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
        QApplication application(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return runResident(terminal, environment, true);
    }
    QCoreApplication application(argc, argv);
    if (command.name == CommandName::daemon) return runResident(terminal, environment);
    if (const auto status = runInResident(command, terminal, environment)) return *status;
    if (const auto status = withoutResident(command.name, terminal.err)) return *status;
    return runThroughModel(command, terminal, environment);
}

}  // namespace orvale::cli
