#include "cli/ModelHost.h"

#include <QCoreApplication>

#include <optional>

#include "app/SerialExecutor.h"
#include "cli/CommandLinePorts.h"
#include "cli/DisplayCommands.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11HotKeys.h"
#include "platform/x11/X11KeyTranslation.h"
#include "platform/x11/X11LoginSession.h"
#include "platform/x11/X11SystemEvents.h"
#include "runtime/QtMainThread.h"
#include "runtime/SessionSources.h"
#include "shortcuts/KeyboardLayoutLabels.h"
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

struct ModelHost::Parts {
    Desktop desktop;
    std::optional<SessionSources> sessions;
    // The resident program's hot keys and the keyboard layout's key labels.
    std::unique_ptr<x11::X11HotKeys> hotKeys;
    UnavailableHotKeys noHotKeys;
    std::unique_ptr<x11::X11KeyTranslation> translation;
    std::unique_ptr<KeyboardLayoutLabels> labels;
    QtMainThread mainThread;
    std::unique_ptr<KeyboardLayoutObserver> layoutObserver;
    SystemClock clock;
    std::unique_ptr<FileDefaultsStore> defaults;
    NoOverlaysOrHotKeys quiet;
    // The flash reads the window list on the main thread every 33 ms, over a
    // connection of its own so that it never waits behind a restore.
    std::unique_ptr<x11::X11Desktop> overlayWindows;
    std::unique_ptr<ScreenOverlays> overlays;
    std::unique_ptr<SerialExecutor> store = std::make_unique<SerialExecutor>();
    std::unique_ptr<SerialExecutor> windows = std::make_unique<SerialExecutor>();
    std::unique_ptr<SerialExecutor> restores = std::make_unique<SerialExecutor>();
    std::unique_ptr<AppModel> model;
};

std::unique_ptr<ModelHost> ModelHost::open(Setup setup, WindowPresenter& presenter,
                                           std::ostream& err,
                                           const EnvironmentLookup& environment) {
    const auto paths = StorePaths::forEnvironment(environment);
    const auto preferences = FileDefaultsStore::defaultPath(environment);
    if (!paths || !preferences) {
        err << "No data folder or home folder is known; set XDG_DATA_HOME or HOME.\n";
        return nullptr;
    }
    auto parts = std::make_unique<Parts>();
    Desktop& desktop = parts->desktop;
    if (setup.windows) {
        desktop.x11 = openDesktop(err);
        if (!desktop.x11) return nullptr;
        desktop.events = x11::X11SystemEvents::open();
        if (!desktop.events) {
            err << "orvale: the X display stopped answering.\n";
            return nullptr;
        }
    }
    // A restore stops when the session locks or the machine goes to sleep.
    // Without logind a one-off command says nothing about it (what goes
    // unnoticed then is the automation's business); the resident program
    // says why once.
    if (desktop.x11) {
        parts->sessions.emplace(desktop.x11Session, *desktop.events,
                                setup.resident ? &err : nullptr);
    }
    GlobalHotKeys* hotKeys = &parts->quiet;
    if (setup.resident) {
        parts->hotKeys = x11::X11HotKeys::open();
        hotKeys =
            parts->hotKeys ? static_cast<GlobalHotKeys*>(parts->hotKeys.get()) : &parts->noHotKeys;
        parts->translation = x11::X11KeyTranslation::open();
        if (parts->translation) {
            parts->labels = std::make_unique<KeyboardLayoutLabels>(*parts->translation);
            parts->layoutObserver =
                std::make_unique<KeyboardLayoutObserver>(*parts->translation, parts->mainThread);
        }
    }
    if (setup.overlays && desktop.x11) {
        parts->overlayWindows = openDesktop(err);
        if (!parts->overlayWindows) return nullptr;
        parts->overlays = std::make_unique<ScreenOverlays>(*setup.overlays, parts->mainThread,
                                                           parts->overlayWindows->windowServer());
    }
    parts->defaults = std::make_unique<FileDefaultsStore>(*preferences);
    parts->model = std::make_unique<AppModel>(AppModel::Dependencies{
        .mainThread = parts->mainThread,
        .clock = parts->clock,
        .storeExecutor = *parts->store,
        .windowExecutor = *parts->windows,
        .restoreExecutor = *parts->restores,
        .accessibility = desktop.accessibility(),
        .windowServer = desktop.windowServer(),
        .workspace = desktop.workspace(),
        .screens = desktop.screens(),
        .pointer = desktop.pointer(),
        .session = parts->sessions ? parts->sessions->session() : desktop.session(),
        .systemEvents = parts->sessions ? parts->sessions->systemEvents() : desktop.systemEvents(),
        .defaults = *parts->defaults,
        .presenter = presenter,
        .overlays = parts->overlays ? static_cast<Overlays&>(*parts->overlays) : parts->quiet,
        .hotKeys = *hotKeys,
        .storePaths = *paths,
        .openStore = [](const StorePaths& at) { return LayoutStore::open(at); },
        .keyLabels = parts->labels.get(),
    });
    return std::unique_ptr<ModelHost>(new ModelHost(std::move(parts)));
}

ModelHost::ModelHost(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

ModelHost::~ModelHost() {
    // The executors finish what they hold before the model goes; what they
    // post back is dropped with the main thread.
    parts_->store.reset();
    parts_->windows.reset();
    parts_->restores.reset();
    parts_->model.reset();
    parts_->overlays.reset();
}

KeyboardLayoutObserver* ModelHost::keyboardLayout() {
    return parts_->layoutObserver.get();
}

ScreenOverlays* ModelHost::overlays() {
    return parts_->overlays.get();
}

AppModel& ModelHost::model() {
    return *parts_->model;
}

MainThread& ModelHost::mainThread() {
    return parts_->mainThread;
}

int runThroughModel(const Command& command, Terminal terminal,
                    const EnvironmentLookup& environment) {
    TerminalPresenter presenter(terminal.err);
    auto host = ModelHost::open({.windows = needsWindows(command.name)}, presenter, terminal.err,
                                environment);
    if (!host) return kFailure;
    int status = kFailure;
    auto session = std::make_unique<CommandSession>(host->model(), host->mainThread(), command,
                                                    terminal, [&status](int result) {
                                                        status = result;
                                                        QCoreApplication::exit(0);
                                                    });
    QCoreApplication::exec();
    session.reset();
    return status;
}

}  // namespace orvale::cli
