#pragma once

#include <optional>

#include "platform/Ports.h"
#include "platform/x11/ClientReadings.h"
#include "platform/x11/X11Connection.h"
#include "platform/xdg/InstalledApplications.h"

namespace orvale::x11 {

// The applications that have managed windows, one per process. The
// application id is the id of the installed application that the WM_CLASS
// names, else the WM_CLASS class; the name comes from the same place. Each is
// a regular application and never hidden, whatever its windows are. Every
// call holds the connection's lock for its whole run.
class X11Workspace final : public Workspace {
  public:
    X11Workspace(X11Connection& connection, ClientReadings& readings)
        : connection_(connection), readings_(readings) {}

    std::vector<RunningApplication> runningApplications() override;
    // Nothing for a process that has no managed window.
    std::optional<RunningApplication> runningApplication(std::int32_t pid) override;
    std::int32_t ownProcessID() override;
    std::optional<std::string> ownBundleID() override;

  private:
    X11Connection& connection_;
    ClientReadings& readings_;
    // Used under the connection's lock, which makes its callers one at a time.
    xdg::InstalledApplications installed_;
};

}  // namespace orvale::x11
