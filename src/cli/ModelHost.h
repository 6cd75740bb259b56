#pragma once

#include "cli/Arguments.h"
#include "cli/CommandSession.h"
#include "storage/XdgPaths.h"

namespace orvale::cli {

// Builds the program around one model for one command and runs the command to
// its end: Qt's event loop as the main thread, a serial executor each for the
// store, the windows and restores, the preferences file, and the X11 desktop
// when the command reads or moves windows (commands that do not, run without
// an X display). Answers the exit status. Blocks until the command is done;
// call it on the process's main thread, once, with no QCoreApplication alive.
int runThroughModel(const Command& command, Terminal terminal,
                    const EnvironmentLookup& environment);

}  // namespace orvale::cli
