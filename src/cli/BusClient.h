#pragma once

#include <optional>

#include "cli/Arguments.h"
#include "cli/CommandSession.h"
#include "storage/XdgPaths.h"

namespace orvale::cli {

// Has the Orvale running on the session bus (that `environment`'s
// DBUS_SESSION_BUS_ADDRESS names) carry out `command`, asking its questions on
// `terminal`, and prints what it printed. Answers the command's exit status,
// or nothing when no Orvale runs there (or no bus is named), so that the
// caller carries the command out itself.
//
// Threads: the process's main thread, with a QCoreApplication alive; blocks
// until the command has ended.
std::optional<int> runInResident(const Command& command, Terminal terminal,
                                 const EnvironmentLookup& environment);

}  // namespace orvale::cli
