#pragma once

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/KeyboardHandlers.h"
#include "platform/KeyboardPorts.h"
#include "platform/x11/EventThread.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// What keys print as on an X11 desktop: the keysym at the first level of the
// physical key in the active layout (XKB's group) of the core keyboard, as
// UTF-8. The keymap is read from the server with libxkbcommon-x11 and read
// again when XKB reports a new keyboard or a new map (setxkbmap); a switch
// between the layouts of one keymap only changes the active one. Each of
// these is reported to the subscribers once the new answers stand.
//
// It has a connection and a thread of its own; changes are reported on that
// thread. Threads: see KeyTranslation. Reading the keymap waits for the
// server without a bound of its own (libxkbcommon-x11 gives none); it happens
// in `open` and on the thread. Destroy it on another thread than its own,
// after every subscription has been dropped.
class X11KeyTranslation final : public KeyTranslation {
  public:
    // Connects as X11Connection::open does and reads the keymap. Nothing when
    // the display cannot be opened or has no XKB, with the reason in `error`
    // when given.
    static std::unique_ptr<X11KeyTranslation> open(
        const char* displayName = nullptr,
        std::chrono::milliseconds timeout = X11Connection::kOpenTimeout,
        OpenError* error = nullptr);
    ~X11KeyTranslation() override;
    X11KeyTranslation(const X11KeyTranslation&) = delete;
    X11KeyTranslation& operator=(const X11KeyTranslation&) = delete;

    std::optional<std::string> text(std::uint32_t keyCode) override;
    std::unique_ptr<KeyboardSubscription> subscribeLayoutChanges(ChangeHandler handler) override {
        return changes_.subscribe(std::move(handler));
    }

  private:
    struct ContextFree {
        void operator()(xkb_context* context) const { xkb_context_unref(context); }
    };
    struct KeymapFree {
        void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
    };
    struct StateFree {
        void operator()(xkb_state* state) const { xkb_state_unref(state); }
    };

    X11KeyTranslation(OwnConnection connection, std::int32_t device, std::uint8_t xkbEvent,
                      std::unique_ptr<xkb_context, ContextFree> context);
    // Reads the keymap and its state from the server; false when it could not.
    bool load();
    void handle(EventThread::Events& events);

    OwnConnection connection_;
    std::int32_t device_;
    std::uint8_t xkbEvent_;
    std::unique_ptr<xkb_context, ContextFree> context_;
    // Guards the connection for the thread's readings of the keymap.
    std::mutex connectionMutex_;
    // Guards the keymap and its state, which `text` reads from any thread.
    std::mutex keymapMutex_;
    std::unique_ptr<xkb_keymap, KeymapFree> keymap_;
    std::unique_ptr<xkb_state, StateFree> state_;
    KeyboardHandlers<> changes_;
    // Last, so that it starts once the rest is in place.
    std::unique_ptr<EventThread> thread_;
};

}  // namespace orvale::x11
