#pragma once

#include "platform/Ports.h"
#include "platform/x11/ClientReadings.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// The managed windows the user can see on the current desktop, front to back.
// The window number is the client XID; docks and other special windows are
// listed above layer 0, desktop windows not at all.
class X11WindowServer final : public WindowServer {
  public:
    X11WindowServer(X11Connection& connection, ClientReadings& readings)
        : connection_(connection), readings_(readings) {}

    std::optional<std::vector<WindowInfo>> onScreenWindows() override;

  private:
    X11Connection& connection_;
    ClientReadings& readings_;
};

}  // namespace orvale::x11
