#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/KeyboardHandlers.h"
#include "platform/KeyboardPorts.h"
#include "platform/x11/EventThread.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// The program's hot keys on an X11 desktop: passive key grabs on the root
// window. A combination is grabbed once per state of the lock keys (none,
// Caps Lock, Num Lock, both; Num Lock's modifier read from the server's
// modifier map when the combination is registered, and the grabs moved when
// the map changes), so that it works whatever the lock keys say. Super is
// Mod4, Alt Mod1.
//
// A grab the server refuses (BadAccess: another client holds the
// combination; BadValue: the key does not exist here) refuses the whole
// registration, and the states already grabbed are released before it
// returns. A key held down repeats as a release and a press at the same
// moment; such a press is not reported again.
//
// It has a connection and a thread of its own; presses are delivered on
// that thread. Threads: see GlobalHotKeys. Destroy it on another thread
// than its own, after every subscription has been dropped; it lets go of its
// grabs as its connection closes.
class X11HotKeys final : public GlobalHotKeys {
  public:
    // How long one registration may wait for the server at most.
    static constexpr std::chrono::milliseconds kReplyTimeout{2000};

    // Connects as X11Connection::open does. Nothing when the display cannot
    // be opened, with the reason in `error` when given.
    static std::unique_ptr<X11HotKeys> open(
        const char* displayName = nullptr,
        std::chrono::milliseconds timeout = X11Connection::kOpenTimeout,
        OpenError* error = nullptr);
    ~X11HotKeys() override;
    X11HotKeys(const X11HotKeys&) = delete;
    X11HotKeys& operator=(const X11HotKeys&) = delete;

    bool registerHotKey(std::uint32_t number, const Shortcut& shortcut) override;
    void unregisterHotKey(std::uint32_t number) override;
    std::unique_ptr<KeyboardSubscription> subscribePresses(PressHandler handler) override {
        return presses_.subscribe(std::move(handler));
    }

  private:
    struct Grab {
        xcb_keycode_t key = 0;
        std::uint16_t modifiers = 0;
        // The lock-key modifiers grabbed on top of `modifiers`.
        std::vector<std::uint16_t> lockStates;
    };

    X11HotKeys(OwnConnection connection, xcb_window_t root);
    // Num Lock's modifier bit now; 0 when no modifier holds Num Lock, nothing
    // when the server did not answer in time. Under the lock.
    std::optional<std::uint16_t> numLockModifier(Instant deadline);
    void ungrab(const Grab& grab, std::size_t states);
    // Grabs every combination again when Num Lock has moved to another
    // modifier. Under the lock, on the event thread.
    void followNumLock();
    void handle(EventThread::Events& events);

    OwnConnection connection_;
    xcb_window_t root_;
    std::mutex mutex_;
    std::map<std::uint32_t, Grab> grabs_;
    // When each key was last let go, to tell a repeat from a new press.
    std::map<xcb_keycode_t, xcb_timestamp_t> released_;
    KeyboardHandlers<std::uint32_t> presses_;
    // Last, so that it starts once the rest is in place.
    std::unique_ptr<EventThread> thread_;
};

}  // namespace orvale::x11
