#pragma once

// The seam's ports for the keyboard: system-wide hot keys, what keys print as
// on the user's keyboard layout, and the key events of the program's own
// windows while a shortcut is recorded. Backends implement them beside the
// ports of Ports.h.
//
// Key codes are the stored codes of Shortcut (the physical keys of the
// shortcut table, 0 = A, 18 = 1, 122 = F1); modifiers are Shortcut's bits.
// Each backend maps them to and from its own codes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/Shortcut.h"

namespace orvale {

// Keeps a handler installed with a keyboard port; dropping it removes the
// handler. Once the drop returns, the handler is not running and will not be
// called again. Must not outlive the port it came from.
class KeyboardSubscription {
  public:
    virtual ~KeyboardSubscription() = default;
};

// The program's system-wide hot keys, each registered under a number of the
// caller's choosing.
//
// Threads: every member may be called from any thread, one call at a time
// (the program calls them from its main thread). `registerHotKey` blocks for
// at most the backend's short deadline (X11: two round trips, two seconds at
// most); the others never wait for another process. The press handler is
// called on any thread (X11: the backend's event thread); its subscriber hops
// to its own thread.
class GlobalHotKeys {
  public:
    using PressHandler = std::function<void(std::uint32_t number)>;

    virtual ~GlobalHotKeys() = default;

    // Registers `shortcut` under `number`, replacing what the number held.
    // False when it cannot be had: another program holds the combination, the
    // system reserves it, or the key does not exist here; nothing of it is
    // then registered.
    virtual bool registerHotKey(std::uint32_t number, const Shortcut& shortcut) = 0;
    // Nothing happens for a number that holds nothing.
    virtual void unregisterHotKey(std::uint32_t number) = 0;
    // Presses of registered hot keys, by number. Nothing when presses cannot
    // be delivered at all (the backend has no way to hear them).
    virtual std::unique_ptr<KeyboardSubscription> subscribePresses(PressHandler handler) = 0;
};

// What keys print as on the keyboard layout the user has selected.
//
// Threads: `text` may be called from any thread and never waits for another
// process (X11: it reads the keymap held in memory). The change handler is
// called on any thread (X11: the backend's event thread), after the new
// layout has taken effect for `text`.
class KeyTranslation {
  public:
    using ChangeHandler = std::function<void()>;

    virtual ~KeyTranslation() = default;

    // The text the key produces on the current layout with no modifier held,
    // exactly as the layout gives it (white space and control characters
    // included); nothing when it produces none or does not exist here.
    virtual std::optional<std::string> text(std::uint32_t keyCode) = 0;
    // Calls `handler` each time the layout (or the active one of several)
    // changes.
    virtual std::unique_ptr<KeyboardSubscription> subscribeLayoutChanges(ChangeHandler handler) = 0;
};

// Identifies one of the program's own windows; only compared.
using OwnWindow = std::uint64_t;

// A key going down, or the held modifiers changing, in one of the program's
// own windows.
struct KeyEvent {
    enum class Kind { keyDown, modifiersChanged };

    Kind kind = Kind::keyDown;
    // The stored key code; 0 for a change of modifiers.
    std::uint32_t keyCode = 0;
    // The modifiers held, in Shortcut's bits; other keys held are left out.
    std::uint32_t modifiers = 0;
    // The window the event was sent to, when it has one.
    std::optional<OwnWindow> window;

    bool operator==(const KeyEvent&) const = default;
};

// The key events of the program's own windows, for recording a shortcut.
//
// Threads: main thread only; the handlers are called there, synchronously,
// before the event reaches the window. A handler may drop the monitor it was
// called for.
class KeyEvents {
  public:
    struct Handlers {
        // Answers true to swallow the event, false to let the window have it.
        std::function<bool(const KeyEvent&)> event;
        // The program stopped being the active application.
        std::function<void()> applicationResigned;
        // This window stopped being the key window (the one that gets typing).
        std::function<void(OwnWindow)> windowResignedKey;
    };

    virtual ~KeyEvents() = default;

    // The window that gets typing now, if the program has one.
    virtual std::optional<OwnWindow> keyWindow() = 0;
    // The program's main window, if it has one.
    virtual std::optional<OwnWindow> mainWindow() = 0;
    // Watches every key event of the program's windows until dropped.
    virtual std::unique_ptr<KeyboardSubscription> monitor(Handlers handlers) = 0;
};

}  // namespace orvale
