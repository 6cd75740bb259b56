#pragma once

#include <optional>

#include "platform/SessionPorts.h"

namespace orvale::x11 {

// The login session as an X11 desktop alone can tell it, which is nothing:
// it answers unlocked, on the console, with the login done. The resident
// program reads the real state from logind over the system bus instead.
// Threads: any; never blocks.
class X11LoginSession final : public LoginSession {
  public:
    std::optional<SessionReading> current() override { return SessionReading{false, true, true}; }
};

}  // namespace orvale::x11
