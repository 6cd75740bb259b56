#pragma once

#include <optional>

#include "platform/Ports.h"
#include "platform/x11/DesktopEntries.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// The applications that have managed windows, one per process. The
// application id is the `.desktop` id when one matches the WM_CLASS, else the
// WM_CLASS class; the name comes from the same place.
class X11Workspace final : public Workspace {
  public:
    explicit X11Workspace(X11Connection& connection) : connection_(connection) {}
    X11Workspace(X11Connection& connection, DesktopEntries entries)
        : connection_(connection), entries_(std::move(entries)) {}

    std::vector<RunningApplication> runningApplications() override;
    // Nothing for a process that has no managed window.
    std::optional<RunningApplication> runningApplication(std::int32_t pid) override;
    std::int32_t ownProcessID() override;
    std::optional<std::string> ownBundleID() override;

  private:
    const DesktopEntries& entries();

    X11Connection& connection_;
    // Read once, on first use: the files rarely change while the program runs.
    std::optional<DesktopEntries> entries_;
};

}  // namespace orvale::x11
