#pragma once

#include "platform/Ports.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// The RandR 1.5 monitors as screens. A monitor's identity comes from the EDID
// of its first output; its visible frame leaves out the struts of every
// top-level window and, on a single monitor, what is outside the window
// manager's work area of the current desktop.
class X11Screens final : public Screens {
  public:
    explicit X11Screens(X11Connection& connection) : connection_(connection) {}

    // Empty when the monitors cannot be read.
    ScreenList screens() override;

  private:
    X11Connection& connection_;
};

}  // namespace orvale::x11
