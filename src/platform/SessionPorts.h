#pragma once

// The seam's two ports for the login session and the events of the system
// around the program. Backends implement them beside the ports of Ports.h.

#include <functional>
#include <memory>
#include <optional>

namespace orvale {

// The login session as read now. Any flag may be unknown.
struct SessionReading {
    std::optional<bool> screenLocked;
    std::optional<bool> onConsole;
    std::optional<bool> loginDone;

    bool operator==(const SessionReading&) const = default;
};

// Reads the login session. Called from the main thread; blocks for at most
// the backend's short deadline.
class LoginSession {
  public:
    virtual ~LoginSession() = default;
    // Nothing when the session cannot be read at all.
    virtual std::optional<SessionReading> current() = 0;
};

enum class SystemEvent {
    // This program became the active one (the user turned to it).
    activated,
    // Displays were connected, removed, rearranged or resized.
    displaysChanged,
    sessionResignedActive,
    sessionBecameActive,
    screensDidSleep,
    screensDidWake,
    willSleep,
    didWake,
    screenLocked,
    screenUnlocked,
    // An application ended (on X11: a client left the window manager's list).
    applicationTerminated,
};

// Delivers system events for as long as the subscription returned is kept.
//
// Threads: the handler may be called on any thread (a backend's event thread);
// the subscriber hops to its own thread. Dropping the subscription stops the
// calls: once the drop returns, the handler is not running and will not be
// called again. `subscribe` may be called from any thread.
class SystemEvents {
  public:
    using Handler = std::function<void(SystemEvent)>;

    // Ends the deliveries when destroyed.
    class Subscription {
      public:
        virtual ~Subscription() = default;
    };

    virtual ~SystemEvents() = default;
    virtual std::unique_ptr<Subscription> subscribe(Handler handler) = 0;
};

}  // namespace orvale
