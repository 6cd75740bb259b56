#include "cli/ModelHost.h"

#include <QCoreApplication>

#include "app/SerialExecutor.h"
#include "cli/CommandLinePorts.h"
#include "cli/DisplayCommands.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11LoginSession.h"
#include "platform/x11/X11SystemEvents.h"
#include "runtime/QtMainThread.h"
#include "storage/FileDefaultsStore.h"

namespace orvale::cli {
namespace {

// The ports the model reads windows, screens, the session and system events
// through: the X11 desktop, or none for commands that never touch a window.
struct Desktop {
    std::unique_ptr<x11::X11Desktop> x11;
    std::unique_ptr<x11::X11SystemEvents> events;
    x11::X11LoginSession x11Session;
    NoWindows none;

    Accessibility& accessibility() {
        return x11 ? static_cast<Accessibility&>(x11->accessibility()) : none;
    }
    WindowServer& windowServer() {
        return x11 ? static_cast<WindowServer&>(x11->windowServer()) : none;
    }
    Workspace& workspace() { return x11 ? static_cast<Workspace&>(x11->workspace()) : none; }
    Screens& screens() { return x11 ? static_cast<Screens&>(x11->screens()) : none; }
    Pointer& pointer() { return x11 ? static_cast<Pointer&>(x11->pointer()) : none; }
    LoginSession& session() { return x11 ? static_cast<LoginSession&>(x11Session) : none; }
    SystemEvents& systemEvents() { return events ? static_cast<SystemEvents&>(*events) : none; }
};

}  // namespace

int runThroughModel(const Command& command, Terminal terminal,
                    const EnvironmentLookup& environment) {
    const auto paths = StorePaths::forEnvironment(environment);
    const auto preferences = FileDefaultsStore::defaultPath(environment);
    if (!paths || !preferences) {
        terminal.err << "No data folder or home folder is known; set XDG_DATA_HOME or HOME.\n";
        return kFailure;
    }
    Desktop desktop;
    if (needsWindows(command.name)) {
        desktop.x11 = openDesktop(terminal.err);
        if (!desktop.x11) return kFailure;
        desktop.events = x11::X11SystemEvents::open();
        if (!desktop.events) {
            terminal.err << "orvale: the X display stopped answering.\n";
            return kFailure;
        }
    }

    int argc = 1;
    char name[] = "orvale";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QtMainThread mainThread;
    SystemClock clock;
    FileDefaultsStore defaults(*preferences);
    TerminalPresenter presenter(terminal.err);
    NoOverlaysOrHotKeys quiet;
    auto store = std::make_unique<SerialExecutor>();
    auto windows = std::make_unique<SerialExecutor>();
    auto restores = std::make_unique<SerialExecutor>();
    auto model = std::make_unique<AppModel>(AppModel::Dependencies{
        .mainThread = mainThread,
        .clock = clock,
        .storeExecutor = *store,
        .windowExecutor = *windows,
        .restoreExecutor = *restores,
        .accessibility = desktop.accessibility(),
        .windowServer = desktop.windowServer(),
        .workspace = desktop.workspace(),
        .screens = desktop.screens(),
        .pointer = desktop.pointer(),
        .session = desktop.session(),
        .systemEvents = desktop.systemEvents(),
        .defaults = defaults,
        .presenter = presenter,
        .overlays = quiet,
        .hotKeys = quiet,
        .storePaths = *paths,
        .openStore = [](const StorePaths& at) { return LayoutStore::open(at); },
    });
    int status = kFailure;
    auto session = std::make_unique<CommandSession>(*model, mainThread, command, terminal,
                                                    [&status](int result) {
                                                        status = result;
                                                        QCoreApplication::exit(0);
                                                    });
    QCoreApplication::exec();
    // The executors finish what they hold before the model goes; what they
    // post back is dropped with the main thread.
    session.reset();
    store.reset();
    windows.reset();
    restores.reset();
    model.reset();
    return status;
}

}  // namespace orvale::cli
