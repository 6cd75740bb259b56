#pragma once

#include "platform/Ports.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// The core pointer's buttons, from the button bits of the pointer's state
// (Button1Mask … Button5Mask). Takes the connection's lock for one round trip,
// bounded by the backend's short deadline; a reply that does not come, or an
// X error, answers nothing.
class X11Pointer final : public Pointer {
  public:
    explicit X11Pointer(X11Connection& connection) : connection_(connection) {}

    std::optional<std::uint32_t> pressedButtons() override;

  private:
    X11Connection& connection_;
};

}  // namespace orvale::x11
