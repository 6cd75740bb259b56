#pragma once

#include <memory>
#include <ostream>

#include "app/AppModel.h"
#include "app/WindowPresenter.h"
#include "cli/Arguments.h"
#include "cli/CommandSession.h"
#include "overlay/ScreenOverlays.h"
#include "shortcuts/KeyboardLayoutObserver.h"
#include "storage/XdgPaths.h"

namespace orvale::cli {

// The program around one model: Qt's event loop as the main thread, a serial
// executor each for the store, the windows and restores, the preferences
// file, and the desktop's ports — the X11 desktop when windows are read or
// moved, none otherwise (so that commands which never touch a window run
// without an X display).
//
// Threads: the process's main thread, with a QCoreApplication alive for the
// host's whole life. The model's bootstrap is posted when the host opens and
// runs once the event loop does. Destroying the host waits for the executors'
// tasks, then drops the model; what they posted back is not run.
class ModelHost {
  public:
    struct Setup {
        // Open the X display DISPLAY names.
        bool windows = false;
        // The resident program: hold the hot keys and follow the login session.
        bool resident = false;
        // Where markers and the restored-window flash are drawn, with
        // `windows`; none draws nothing. Must outlive the host.
        OverlaySurfaces* overlays = nullptr;
    };

    // Nothing, with the reason on `err`, when no data folder is known or the
    // X display cannot be opened. `presenter` must outlive the host.
    static std::unique_ptr<ModelHost> open(Setup setup, WindowPresenter& presenter,
                                           std::ostream& err, const EnvironmentLookup& environment);
    ~ModelHost();
    ModelHost(const ModelHost&) = delete;
    ModelHost& operator=(const ModelHost&) = delete;

    AppModel& model();
    MainThread& mainThread();
    // The overlays the model draws, when the setup gave surfaces for them.
    ScreenOverlays* overlays();
    // Reports keyboard-layout changes, in the resident program when the
    // keyboard can be read.
    KeyboardLayoutObserver* keyboardLayout();

  private:
    struct Parts;
    explicit ModelHost(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

// Runs one command through a model of its own to its end and answers the
// exit status. Blocks; a QCoreApplication must be alive and its event loop
// not running.
int runThroughModel(const Command& command, Terminal terminal,
                    const EnvironmentLookup& environment);

}  // namespace orvale::cli
