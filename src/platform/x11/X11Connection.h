#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/AXTypes.h"
#include "platform/x11/DisplaySocket.h"

namespace orvale::x11 {

// Frees what libxcb hands out with malloc.
struct FreeDeleter {
    void operator()(void* pointer) const noexcept { std::free(pointer); }
};
template <typename T>
using XcbPtr = std::unique_ptr<T, FreeDeleter>;

// A reply, or why there is none, as an accessibility error: a window that no
// longer exists is an invalid element, a reply that did not come in time (or a
// broken connection) means the call could not complete.
template <typename Reply>
struct ReplyOr {
    XcbPtr<Reply> reply;
    AXError error = AXErrorCode::success;

    explicit operator bool() const { return reply != nullptr; }
    Reply* operator->() const { return reply.get(); }
};

// A value read from the server, or the accessibility error that stands for
// why it could not be read.
template <typename T>
struct ValueOr {
    std::optional<T> value;
    AXError error = AXErrorCode::success;
};

// The one connection to the X server that the backend's ports share. libxcb
// never treats an X error as fatal; every error arrives here as a value.
// Callers hold `lock()` for the whole of one port call, because waiting for
// the window manager's answer consumes events.
class X11Connection {
  public:
    // How long opening may take at most, by default: a server that takes the
    // connection but does not answer must not hang the program.
    static constexpr std::chrono::milliseconds kOpenTimeout{5000};

    // Connects (see connectBounded) and reads the atoms and extensions the
    // backend needs, all by `timeout`. Nothing when the display cannot be
    // opened or does not answer in time, with the reason in `error` when given.
    static std::unique_ptr<X11Connection> open(const char* displayName = nullptr,
                                               std::chrono::milliseconds timeout = kOpenTimeout,
                                               OpenError* error = nullptr);
    ~X11Connection();

    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* raw() const { return connection_; }
    xcb_ewmh_connection_t& ewmh() { return ewmh_; }
    int screenNumber() const { return screenNumber_; }
    xcb_window_t root() const { return root_; }
    // Whether the server speaks RandR 1.5, which lists monitors.
    bool hasMonitors() const { return hasMonitors_; }
    bool isBroken() const { return xcb_connection_has_error(connection_) != 0; }
    [[nodiscard]] std::unique_lock<std::mutex> lock() { return std::unique_lock(mutex_); }

    // Atoms that are not part of the EWMH set.
    xcb_atom_t edidAtom() const { return edid_; }
    xcb_atom_t gtkFrameExtentsAtom() const { return gtkFrameExtents_; }
    xcb_atom_t opacityAtom() const { return opacity_; }
    xcb_atom_t wmStateAtom() const { return wmState_; }

    // The part of a resource id that names the connection which created it.
    std::uint32_t creatorOf(xcb_window_t window) const { return window & ~resourceMask_; }

    // The reply to the request with `sequence`, waiting at most until `deadline`.
    template <typename Reply>
    ReplyOr<Reply> reply(unsigned int sequence, Instant deadline) {
        ReplyOr<Reply> result;
        void* raw = nullptr;
        result.error = awaitReply(sequence, deadline, &raw);
        result.reply.reset(static_cast<Reply*>(raw));
        return result;
    }
    template <typename Reply, typename Cookie>
    ReplyOr<Reply> reply(Cookie cookie, Instant deadline) {
        return reply<Reply>(cookie.sequence, deadline);
    }

    // Waits until `accept` takes an event or `deadline` passes; events it
    // declines are dropped. True when one was taken.
    bool waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& accept,
                      Instant deadline);
    // Drops every event received so far, so that a later wait sees only answers
    // to what is sent after this.
    void dropPendingEvents();
    // A mark in the stream of events, taken after a reading: the reading stays
    // current until an event about what it read arrives, as long as the
    // events that would report a change are selected. Takes in every event
    // received so far; the questions below count only events taken in by
    // then (a mark, or a wait), so one mark serves many questions.
    std::uint64_t mark();
    // Whether no event about `window`, the managed list, the window manager or
    // the displays has arrived since `mark`. The window manager's notices of
    // where it put a window do not count: they say what changed, see
    // placementSince.
    bool unchangedSince(xcb_window_t window, std::uint64_t mark) const;
    // Whether, on top of that, the stacking order and the current desktop
    // are as they were at `mark`: what a list of the managed clients says.
    bool listUnchangedSince(std::uint64_t mark) const;
    // The window manager's latest notice of where it put `window` (a
    // synthetic ConfigureNotify, ICCCM 4.1.5), when it arrived after `mark`.
    std::optional<xcb_configure_notify_event_t> placementSince(xcb_window_t window,
                                                               std::uint64_t mark) const;

    // How many round trips the calls so far have cost: waits for the server
    // (a reply, or the window manager's answer) after sending something new.
    // Replies of requests sent together count once.
    std::uint64_t roundTrips() const { return roundTrips_; }

  private:
    X11Connection(xcb_connection_t* connection, int screenNumber);
    AXError awaitReply(unsigned int sequence, Instant deadline, void** reply);
    // Sends what is queued; a wait after sending something new is a round trip.
    void countRoundTrip();
    // Waits until the connection has something to read or `deadline` passes.
    bool awaitReadable(Instant deadline);

    xcb_connection_t* connection_;
    int screenNumber_;
    xcb_window_t root_ = XCB_NONE;
    std::uint32_t resourceMask_ = 0;
    xcb_ewmh_connection_t ewmh_{};
    bool ewmhReady_ = false;
    bool hasMonitors_ = false;
    std::uint64_t roundTrips_ = 0;
    std::uint64_t writtenAtLastWait_ = 0;
    // Counts every event, and remembers the count at the latest event about
    // each window and about everything at once.
    void note(const xcb_generic_event_t& event);
    std::uint64_t eventsSeen_ = 0;
    std::uint64_t lastGlobalEvent_ = 0;
    std::uint64_t lastListEvent_ = 0;
    std::unordered_map<xcb_window_t, std::uint64_t> lastEventFor_;
    struct Placement {
        xcb_configure_notify_event_t notice;
        std::uint64_t event = 0;
    };
    std::unordered_map<xcb_window_t, Placement> lastPlacementOf_;
    xcb_atom_t edid_ = XCB_NONE;
    xcb_atom_t gtkFrameExtents_ = XCB_NONE;
    xcb_atom_t opacity_ = XCB_NONE;
    xcb_atom_t wmState_ = XCB_NONE;
    std::mutex mutex_;
};

// The accessibility error for an X error code.
AXError errorFor(const xcb_generic_error_t& error);

}  // namespace orvale::x11
