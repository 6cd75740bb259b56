#include "platform/x11/X11HotKeys.h"

#include <xcb/xcbext.h>

#include <cstdlib>

#include "platform/x11/KeyCodes.h"

namespace orvale::x11 {
namespace {

constexpr xcb_keysym_t kNumLockSym = 0xff7f;

std::uint16_t modifiersOf(const Shortcut& shortcut) {
    std::uint16_t modifiers = 0;
    if (shortcut.modifiers & Modifier::shift) modifiers |= XCB_MOD_MASK_SHIFT;
    if (shortcut.modifiers & Modifier::control) modifiers |= XCB_MOD_MASK_CONTROL;
    if (shortcut.modifiers & Modifier::option) modifiers |= XCB_MOD_MASK_1;
    if (shortcut.modifiers & Modifier::command) modifiers |= XCB_MOD_MASK_4;
    return modifiers;
}

// Every state of Caps Lock and Num Lock, once each.
std::vector<std::uint16_t> lockStates(std::uint16_t numLock) {
    std::vector<std::uint16_t> states = {0, XCB_MOD_MASK_LOCK};
    if (numLock != 0 && numLock != XCB_MOD_MASK_LOCK) {
        states.push_back(numLock);
        states.push_back(numLock | XCB_MOD_MASK_LOCK);
    }
    return states;
}

}  // namespace

std::unique_ptr<X11HotKeys> X11HotKeys::open(const char* displayName,
                                             std::chrono::milliseconds timeout, OpenError* error) {
    const SetUpConnection setUp =
        connectBounded(displayName, std::chrono::steady_clock::now() + timeout);
    if (error) *error = setUp.error;
    if (!setUp.connection) return nullptr;
    OwnConnection connection(setUp.connection);
    const xcb_window_t root = rootOf(connection.get(), setUp.screenNumber);
    if (root == XCB_NONE) {
        if (error) *error = OpenError::cannotConnect;
        return nullptr;
    }
    return std::unique_ptr<X11HotKeys>(new X11HotKeys(std::move(connection), root));
}

X11HotKeys::X11HotKeys(OwnConnection connection, xcb_window_t root)
    : connection_(std::move(connection)), root_(root) {
    thread_ = std::make_unique<EventThread>(
        connection_.get(), mutex_, [this](EventThread::Events& events) { handle(events); });
}

X11HotKeys::~X11HotKeys() {
    thread_.reset();
}

std::optional<std::uint16_t> X11HotKeys::numLockModifier(Instant deadline) {
    xcb_connection_t* connection = connection_.get();
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const std::uint8_t first = setup->min_keycode;
    const std::uint8_t count = setup->max_keycode - setup->min_keycode + 1;
    const unsigned int mapRequest = xcb_get_modifier_mapping(connection).sequence;
    const unsigned int keysRequest = xcb_get_keyboard_mapping(connection, first, count).sequence;
    void* raw = nullptr;
    xcb_generic_error_t* error = nullptr;
    XcbPtr<xcb_get_modifier_mapping_reply_t> map;
    XcbPtr<xcb_get_keyboard_mapping_reply_t> keys;
    if (awaitReply(connection, mapRequest, deadline, &raw, &error)) {
        map.reset(static_cast<xcb_get_modifier_mapping_reply_t*>(raw));
    }
    std::free(error);
    if (awaitReply(connection, keysRequest, deadline, &raw, &error)) {
        keys.reset(static_cast<xcb_get_keyboard_mapping_reply_t*>(raw));
    }
    std::free(error);
    if (!map || !keys) return std::nullopt;

    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keys.get());
    const int perKey = keys->keysyms_per_keycode;
    const auto holdsNumLock = [&](xcb_keycode_t key) {
        if (key < first || key - first >= count) return false;
        for (int level = 0; level < perKey; ++level) {
            if (syms[(key - first) * perKey + level] == kNumLockSym) return true;
        }
        return false;
    };
    const xcb_keycode_t* modifierKeys = xcb_get_modifier_mapping_keycodes(map.get());
    const int perModifier = map->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            if (holdsNumLock(modifierKeys[modifier * perModifier + i])) {
                return static_cast<std::uint16_t>(1u << modifier);
            }
        }
    }
    return 0;
}

bool X11HotKeys::registerHotKey(std::uint32_t number, const Shortcut& shortcut) {
    unregisterHotKey(number);
    const std::optional<std::uint8_t> key = xKeyCode(shortcut.keyCode);
    if (!key) return false;
    bool registered = false;
    {
        std::lock_guard lock(mutex_);
        xcb_connection_t* connection = connection_.get();
        const Instant deadline = std::chrono::steady_clock::now() + kReplyTimeout;
        const std::optional<std::uint16_t> numLock = numLockModifier(deadline);
        if (numLock) {
            Grab grab{*key, modifiersOf(shortcut), lockStates(*numLock)};
            std::vector<xcb_void_cookie_t> cookies;
            for (const std::uint16_t state : grab.lockStates) {
                cookies.push_back(xcb_grab_key_checked(connection, 1, root_, grab.modifiers | state,
                                                       grab.key, XCB_GRAB_MODE_ASYNC,
                                                       XCB_GRAB_MODE_ASYNC));
            }
            // The grabs answer only when they fail; a later request's answer
            // says that the rest succeeded.
            const bool answered = sync(connection, deadline);
            std::size_t granted = 0;
            while (answered && granted < cookies.size()) {
                void* reply = nullptr;
                xcb_generic_error_t* error = nullptr;
                xcb_poll_for_reply(connection, cookies[granted].sequence, &reply, &error);
                std::free(reply);
                const bool refused = error != nullptr;
                std::free(error);
                if (refused) break;
                ++granted;
            }
            registered = granted == cookies.size();
            if (registered) {
                grabs_[number] = std::move(grab);
            } else {
                // Released before returning, so that the combination is free
                // for whoever asks next. Unanswered grabs may still take
                // effect: those are released too.
                ungrab(grab, answered ? granted : cookies.size());
                sync(connection, std::chrono::steady_clock::now() + kReplyTimeout);
            }
        }
    }
    thread_->wake();
    return registered;
}

void X11HotKeys::unregisterHotKey(std::uint32_t number) {
    std::lock_guard lock(mutex_);
    const auto found = grabs_.find(number);
    if (found == grabs_.end()) return;
    ungrab(found->second, found->second.lockStates.size());
    xcb_flush(connection_.get());
    grabs_.erase(found);
}

void X11HotKeys::ungrab(const Grab& grab, std::size_t states) {
    for (std::size_t i = 0; i < states; ++i) {
        xcb_ungrab_key(connection_.get(), grab.key, root_, grab.modifiers | grab.lockStates[i]);
    }
}

void X11HotKeys::followNumLock() {
    const Instant deadline = std::chrono::steady_clock::now() + kReplyTimeout;
    const std::optional<std::uint16_t> numLock = numLockModifier(deadline);
    if (!numLock) return;
    const std::vector<std::uint16_t> states = lockStates(*numLock);
    for (auto& [number, grab] : grabs_) {
        if (grab.lockStates == states) continue;
        ungrab(grab, grab.lockStates.size());
        grab.lockStates = states;
        // The combination was granted in every state before; a state another
        // client holds now is left to it (its error is read and dropped).
        for (const std::uint16_t state : states) {
            xcb_grab_key(connection_.get(), 1, root_, grab.modifiers | state, grab.key,
                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        }
    }
    sync(connection_.get(), deadline);
}

void X11HotKeys::handle(EventThread::Events& events) {
    std::vector<std::uint32_t> pressed;
    bool mappingChanged = false;
    {
        std::lock_guard lock(mutex_);
        for (const auto& event : events) {
            const std::uint8_t type = event->response_type & 0x7F;
            if (type == XCB_MAPPING_NOTIFY) {
                const auto& mapping = reinterpret_cast<const xcb_mapping_notify_event_t&>(*event);
                mappingChanged |= mapping.request != XCB_MAPPING_POINTER;
                continue;
            }
            if (type == XCB_KEY_RELEASE) {
                const auto& release = reinterpret_cast<const xcb_key_release_event_t&>(*event);
                released_[release.detail] = release.time;
                continue;
            }
            if (type != XCB_KEY_PRESS) continue;
            const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(*event);
            if (const auto last = released_.find(press.detail);
                last != released_.end() && last->second == press.time) {
                continue;
            }
            for (const auto& [number, grab] : grabs_) {
                if (grab.key != press.detail) continue;
                for (const std::uint16_t state : grab.lockStates) {
                    if ((press.state & 0xFF) == (grab.modifiers | state)) pressed.push_back(number);
                }
            }
        }
        if (mappingChanged) followNumLock();
    }
    for (const std::uint32_t number : pressed) presses_.deliver(number);
}

}  // namespace orvale::x11
