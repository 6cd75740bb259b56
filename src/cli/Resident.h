#pragma once

#include "cli/CommandSession.h"
#include "storage/XdgPaths.h"

namespace orvale::cli {

// Runs Orvale in the background of the login session until it is asked to
// stop (SIGINT, SIGTERM or SIGHUP): the one model of the session, with the
// hot keys, the automation and the undo of the last restore, serving the
// command line on the session bus. Refuses to start, saying which process
// runs, when an Orvale already owns the name on the bus. Answers the exit
// status.
//
// With `desktop`, the program shows its tray item, panel and windows, which
// also ask the questions of restores that no command started.
//
// Threads: the process's main thread, with a QCoreApplication (a QApplication
// with `desktop`) alive and its event loop not running; blocks until the
// program stops.
int runResident(Terminal terminal, const EnvironmentLookup& environment, bool desktop = false);

}  // namespace orvale::cli
