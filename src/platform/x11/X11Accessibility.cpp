#include "platform/x11/X11Accessibility.h"

#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>

#include "platform/x11/Clients.h"
#include "platform/x11/Monitors.h"
#include "platform/x11/Property.h"
#include "platform/x11/WindowGeometry.h"

namespace orvale::x11 {
namespace {

constexpr auto kPermissionTimeout = std::chrono::seconds(2);
// However quiet the event stream, a reading is not reused for longer than
// this, in case a window manager changes something without saying so.
constexpr auto kReadingLifetime = std::chrono::milliseconds(100);

bool contains(const std::vector<std::uint32_t>& values, std::uint32_t value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool processExists(std::int32_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// X keeps coordinates in 16 bits and sizes in 15; anything beyond is clamped
// rather than left to wrap around.
constexpr double kLargestCoordinate = 32767;

std::uint32_t roundedSize(double value) {
    return static_cast<std::uint32_t>(
        roundHalfAwayFromZero(std::clamp(value, 1.0, kLargestCoordinate)));
}

std::int32_t roundedCoordinate(double value) {
    return static_cast<std::int32_t>(
        roundHalfAwayFromZero(std::clamp(value, -kLargestCoordinate - 1, kLargestCoordinate)));
}

bool isDestroyOf(const xcb_generic_event_t& event, xcb_window_t window) {
    if ((event.response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
    return reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == window;
}

// Nothing about the window's place or size differs.
bool samePlace(const WindowGeometry& one, const WindowGeometry& other) {
    return one.outer() == other.outer() && one.clientSize() == other.clientSize();
}

}  // namespace

bool X11Accessibility::isProcessTrusted() {
    auto lock = connection_.lock();
    return isTrusted();
}

bool X11Accessibility::isTrusted() {
    if (connection_.isBroken()) return false;
    if (lastTrust_ && checkWindow_ != XCB_NONE && isFresh(*lastTrust_, checkWindow_)) {
        return lastTrust_->value;
    }
    const bool trusted = readWindowManagerSupport();
    lastTrust_ = Reading<bool>{trusted, connection_.mark(), std::chrono::steady_clock::now()};
    return trusted;
}

bool X11Accessibility::readWindowManagerSupport() {
    const Instant deadline = std::chrono::steady_clock::now() + kPermissionTimeout;
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    // The check window found last time is asked in the same round trip as the
    // root; only when the root names another one is it asked again.
    const auto check =
        requestProperty(connection_.raw(), connection_.root(), ewmh._NET_SUPPORTING_WM_CHECK);
    const auto supported =
        requestProperty(connection_.raw(), connection_.root(), ewmh._NET_SUPPORTED);
    std::optional<xcb_get_property_cookie_t> self;
    if (checkWindow_ != XCB_NONE) {
        self = requestProperty(connection_.raw(), checkWindow_, ewmh._NET_SUPPORTING_WM_CHECK);
    }
    const auto checkWindows =
        values32(connection_.reply<xcb_get_property_reply_t>(check, deadline));
    const auto atoms = values32(connection_.reply<xcb_get_property_reply_t>(supported, deadline));
    std::vector<std::uint32_t> selfValues;
    if (self) selfValues = values32(connection_.reply<xcb_get_property_reply_t>(*self, deadline));
    if (checkWindows.empty()) return false;
    if (checkWindows.front() != checkWindow_) {
        checkWindow_ = checkWindows.front();
        // The window manager's end destroys its check window, which then
        // shows up as an event.
        const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_.raw(), checkWindow_, XCB_CW_EVENT_MASK, &events);
        selfValues = values32(connection_.reply<xcb_get_property_reply_t>(
            requestProperty(connection_.raw(), checkWindow_, ewmh._NET_SUPPORTING_WM_CHECK),
            deadline));
    }
    // A window manager that died leaves its root property behind; only a
    // check window that names itself proves it is alive.
    if (selfValues.empty() || selfValues.front() != checkWindow_) return false;
    return contains(atoms, ewmh._NET_CLIENT_LIST) &&
           contains(atoms, ewmh._NET_CLIENT_LIST_STACKING) &&
           contains(atoms, ewmh._NET_MOVERESIZE_WINDOW) && contains(atoms, ewmh._NET_WM_STATE);
}

// A call's deadline; a timeout that is not a number or negative counts as none.
Instant X11Accessibility::deadlineAfter(double timeout) {
    const double bounded = std::isfinite(timeout) ? std::max(timeout, 0.0) : 0.0;
    return std::chrono::steady_clock::now() + seconds(bounded);
}

AXResult X11Accessibility::copyAttributeValue(const AXElement& element, std::string_view attribute,
                                              double timeout) {
    auto lock = connection_.lock();
    const Instant deadline = deadlineAfter(timeout);
    if (element.handle == 0) {
        if (attribute == AXAttribute::windows) return windowsOf(element.pid, deadline);
        if (attribute == AXAttribute::role) {
            return {AXErrorCode::success, std::string("AXApplication")};
        }
        return {AXErrorCode::attributeUnsupported, {}};
    }
    return windowAttribute(static_cast<xcb_window_t>(element.handle), attribute, deadline);
}

AXResult X11Accessibility::windowsOf(std::int32_t pid, Instant deadline) {
    const auto desk = readings_.desk(deadline);
    if (!desk) return {AXErrorCode::cannotComplete, {}};
    std::vector<AXElement> windows;
    for (const ClientReading& reading : desk->clients) {
        if (reading.client.pid == pid) windows.push_back({pid, reading.client.window});
    }
    // A process that has no window and no longer runs is gone; one that runs
    // without windows simply has none.
    if (windows.empty() && pid > 0 && !processExists(pid)) {
        return {AXErrorCode::invalidUIElement, {}};
    }
    return {AXErrorCode::success, std::move(windows)};
}

AXResult X11Accessibility::windowAttribute(xcb_window_t window, std::string_view attribute,
                                           Instant deadline) {
    const bool wantsFrame = attribute == AXAttribute::position || attribute == AXAttribute::size;
    const bool wantsClient = attribute == AXAttribute::role || attribute == AXAttribute::subrole ||
                             attribute == AXAttribute::minimized ||
                             attribute == AXAttribute::fullScreen;
    if (!wantsFrame && !wantsClient) return {AXErrorCode::attributeUnsupported, {}};

    Current current;
    if (const AXError error = readCurrent(window, deadline, current); error) return {error, {}};
    if (attribute == AXAttribute::role) return {AXErrorCode::success, std::string("AXWindow")};
    if (attribute == AXAttribute::subrole) {
        return {AXErrorCode::success, subroleOf(connection_, current.client)};
    }
    if (attribute == AXAttribute::minimized) {
        return {AXErrorCode::success,
                current.client.hasState(connection_.ewmh()._NET_WM_STATE_HIDDEN)};
    }
    if (attribute == AXAttribute::fullScreen) {
        return {AXErrorCode::success,
                current.client.hasState(connection_.ewmh()._NET_WM_STATE_FULLSCREEN)};
    }
    const RectD frame = current.origin.fromRoot(current.geometry.frame());
    if (attribute == AXAttribute::position) {
        return {AXErrorCode::success, AXPoint{frame.x, frame.y}};
    }
    return {AXErrorCode::success, AXSize{frame.width, frame.height}};
}

AXError X11Accessibility::setAttributeValue(const AXElement& element, std::string_view attribute,
                                            const AXValue& value, double timeout) {
    auto lock = connection_.lock();
    const Instant deadline = deadlineAfter(timeout);
    if (element.handle == 0 ||
        (attribute != AXAttribute::position && attribute != AXAttribute::size)) {
        return AXErrorCode::attributeUnsupported;
    }
    // Also watches the window manager's check window from here on, so that
    // its end during the write shows up as an event.
    if (!isTrusted()) return AXErrorCode::apiDisabled;
    const auto window = static_cast<xcb_window_t>(element.handle);
    if (attribute == AXAttribute::size) {
        const AXSize* size = std::get_if<AXSize>(&value);
        if (!size || !std::isfinite(size->width) || !std::isfinite(size->height)) {
            return AXErrorCode::illegalArgument;
        }
        return resize(window, *size, deadline);
    }
    const AXPoint* point = std::get_if<AXPoint>(&value);
    if (!point || !std::isfinite(point->x) || !std::isfinite(point->y)) {
        return AXErrorCode::illegalArgument;
    }
    return move(window, *point, deadline);
}

bool X11Accessibility::isConstrained(const std::vector<std::uint32_t>& states) {
    const xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    return contains(states, ewmh._NET_WM_STATE_MAXIMIZED_VERT) ||
           contains(states, ewmh._NET_WM_STATE_MAXIMIZED_HORZ) ||
           contains(states, ewmh._NET_WM_STATE_FULLSCREEN);
}

AXError X11Accessibility::leaveMaximizedStates(xcb_window_t window, Instant deadline) {
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    readings_.forget(window);
    xcb_ewmh_request_change_wm_state(&ewmh, connection_.screenNumber(), window,
                                     XCB_EWMH_WM_STATE_REMOVE, ewmh._NET_WM_STATE_MAXIMIZED_VERT,
                                     ewmh._NET_WM_STATE_MAXIMIZED_HORZ,
                                     XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    xcb_ewmh_request_change_wm_state(&ewmh, connection_.screenNumber(), window,
                                     XCB_EWMH_WM_STATE_REMOVE, ewmh._NET_WM_STATE_FULLSCREEN,
                                     XCB_NONE, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    // Once it answers, the state, the size it goes back to and the frame
    // extents the client size depends on have all changed.
    return awaitWindowManager(deadline);
}

AXError X11Accessibility::awaitWindowManager(Instant deadline) {
    xcb_connection_t* c = connection_.raw();
    if (probe_ == XCB_NONE) {
        probe_ = xcb_generate_id(c);
        const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_create_window(c, 0, probe_, connection_.root(), -100, -100, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
    }
    // Each width differs from the one before, so every request changes the
    // window and is answered; and an answer to a request the window manager
    // left unanswered earlier is not taken for this one.
    probeWidth_ = probeWidth_ % 100 + 1;
    xcb_configure_window(c, probe_, XCB_CONFIG_WINDOW_WIDTH, &probeWidth_);
    // The window manager's end ends the wait too.
    const bool answered = connection_.waitForEvent(
        [&](const xcb_generic_event_t& event) {
            if (isDestroyOf(event, checkWindow_)) return true;
            if ((event.response_type & 0x7F) != XCB_CONFIGURE_NOTIFY) return false;
            const auto& notice = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
            return notice.window == probe_ && notice.width == probeWidth_;
        },
        deadline);
    // Once no window manager redirects the request, the server carries it
    // out itself, but only after destroying the check window; a window
    // manager that ended at any time before shows there.
    if (!isTrusted()) return AXErrorCode::apiDisabled;
    if (!answered) return AXErrorCode::windowManagerNotResponding;
    return AXErrorCode::success;
}

template <typename T>
bool X11Accessibility::isFresh(const Reading<T>& reading, xcb_window_t window) {
    connection_.mark();
    return std::chrono::steady_clock::now() - reading.taken < kReadingLifetime &&
           connection_.unchangedSince(window, reading.events);
}

AXError X11Accessibility::readCurrent(xcb_window_t window, Instant deadline, Current& current) {
    ClientReading reading;
    if (const AXError error = readings_.client(window, deadline, reading, current.origin); error) {
        return error;
    }
    current.client = std::move(reading.client);
    current.geometry = reading.geometry;
    return AXErrorCode::success;
}

void X11Accessibility::remember(xcb_window_t window, const Current& current) {
    readings_.remember(window, {current.client, current.geometry});
}

AXError X11Accessibility::carryOut(xcb_window_t window, const Current& before, std::uint32_t flags,
                                   std::int32_t x, std::int32_t y, std::uint32_t width,
                                   std::uint32_t height, Instant deadline) {
    connection_.dropPendingEvents();
    xcb_ewmh_request_moveresize_window(&connection_.ewmh(), connection_.screenNumber(), window,
                                       XCB_GRAVITY_NORTH_WEST, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                       static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(flags),
                                       static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                       width, height);
    if (const AXError error = awaitWindowManager(deadline); error) return error;
    // The reading kept from before is brought up to date by what the window
    // manager said about the window meanwhile, or taken afresh.
    Current now;
    if (const AXError error = readCurrent(window, deadline, now); error) return error;
    if (!samePlace(now.geometry, before.geometry)) return AXErrorCode::success;
    // Nothing was heard about the window. A window manager may move a frame
    // without telling its client, so only a fresh reading proves it kept it.
    readings_.forget(window);
    if (const AXError error = readCurrent(window, deadline, now); error) return error;
    return samePlace(now.geometry, before.geometry) ? AXErrorCode::keptInPlace
                                                    : AXErrorCode::success;
}

AXError X11Accessibility::resize(xcb_window_t window, const AXSize& size, Instant deadline) {
    Current current;
    if (const AXError error = readCurrent(window, deadline, current); error) return error;
    if (isConstrained(current.client.states)) {
        if (const AXError error = leaveMaximizedStates(window, deadline); error) return error;
        if (const AXError error = readCurrent(window, deadline, current); error) return error;
    }
    const SizeD client = current.geometry.clientSizeFor({size.width, size.height});
    const std::uint32_t width = roundedSize(client.width);
    const std::uint32_t height = roundedSize(client.height);
    // When the size hints leave nothing to change, nothing is sent: the
    // window manager would rightly keep the window as it is.
    const SizeD expected =
        constrainedSize(current.geometry.sizeHints, {double(width), double(height)});
    if (expected == current.geometry.clientSize()) return AXErrorCode::success;
    return carryOut(window, current,
                    XCB_EWMH_MOVERESIZE_WINDOW_WIDTH | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT, 0, 0,
                    width, height, deadline);
}

AXError X11Accessibility::move(xcb_window_t window, const AXPoint& point, Instant deadline) {
    Current current;
    if (const AXError error = readCurrent(window, deadline, current); error) return error;
    const RectD target =
        current.geometry.outerFor(point.x + current.origin.x, point.y + current.origin.y);
    const std::int32_t x = roundedCoordinate(target.x);
    const std::int32_t y = roundedCoordinate(target.y);
    const RectD outer = current.geometry.outer();
    if (x == outer.x && y == outer.y) return AXErrorCode::success;
    // The size goes along unchanged: asked for a place alone, some window
    // managers (fluxbox) take the missing size for the frame's and grow the
    // window by its title bar.
    const SizeD size = current.geometry.clientSize();
    return carryOut(window, current,
                    XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y |
                        XCB_EWMH_MOVERESIZE_WINDOW_WIDTH | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT,
                    x, y, roundedSize(size.width), roundedSize(size.height), deadline);
}

}  // namespace orvale::x11
