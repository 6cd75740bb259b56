#pragma once

#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/Ports.h"
#include "platform/x11/ClientReadings.h"
#include "platform/x11/Clients.h"
#include "platform/x11/Monitors.h"
#include "platform/x11/WindowGeometry.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// Applications and their managed windows as accessibility elements. An
// application element is {pid, 0}; a window element is {pid, client XID}.
// Every call is bounded by the messaging timeout it is given, and holds the
// connection's lock for its whole run. A write returns once the window
// manager has handled it, late changes of its own included, so a reading
// right after sees the window where the window manager put it.
class X11Accessibility final : public Accessibility {
  public:
    X11Accessibility(X11Connection& connection, ClientReadings& readings)
        : connection_(connection), readings_(readings) {}

    // Granted while an EWMH window manager runs that offers what moving
    // windows needs.
    bool isProcessTrusted() override;
    AXElement applicationElement(std::int32_t pid) override { return {pid, 0}; }
    AXResult copyAttributeValue(const AXElement& element, std::string_view attribute,
                                double timeout) override;
    AXError setAttributeValue(const AXElement& element, std::string_view attribute,
                              const AXValue& value, double timeout) override;

  private:
    // isProcessTrusted under the connection's lock.
    bool isTrusted();
    bool readWindowManagerSupport();
    static Instant deadlineAfter(double timeout);
    AXResult windowsOf(std::int32_t pid, Instant deadline);
    AXResult windowAttribute(xcb_window_t window, std::string_view attribute, Instant deadline);
    AXError resize(xcb_window_t window, const AXSize& size, Instant deadline);
    AXError move(xcb_window_t window, const AXPoint& point, Instant deadline);
    struct Current {
        Client client;
        WindowGeometry geometry;
        Origin origin;
    };
    // Maximised or full screen: states in which the window manager keeps the
    // size it chose.
    bool isConstrained(const std::vector<std::uint32_t>& states);
    AXError leaveMaximizedStates(xcb_window_t window, Instant deadline);
    // The window's geometry, after checking that it is still managed.
    AXError readCurrent(xcb_window_t window, Instant deadline, Current& current);
    // Keeps a reading taken now for reuse until an event says it changed.
    void remember(xcb_window_t window, const Current& current);
    // Waits until the window manager has handled everything sent before: it
    // is asked to configure a window of ours that it does not manage, which
    // every window manager passes on to the server in turn. Permission denied
    // when the window manager ended meanwhile (its check window is
    // destroyed), not responding when the answer did not come by `deadline`.
    AXError awaitWindowManager(Instant deadline);
    // Sends `_NET_MOVERESIZE_WINDOW` as a pager with north-west gravity and
    // waits until the window manager has handled it. Kept in place when it
    // answered and the window is where it was before (`before`).
    AXError carryOut(xcb_window_t window, const Current& before, std::uint32_t flags,
                     std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                     Instant deadline);

    X11Connection& connection_;
    // The windows' readings, shared with the other ports: the setFrame
    // sequence reads the same window many times in a row, and a scan every
    // window of every application, each of which would otherwise cost a
    // round trip.
    ClientReadings& readings_;
    xcb_window_t checkWindow_ = XCB_NONE;
    // Never mapped; see awaitWindowManager.
    xcb_window_t probe_ = XCB_NONE;
    std::uint32_t probeWidth_ = 1;

    // The last reading of the window manager check, reused while no event
    // has arrived since.
    template <typename T>
    struct Reading {
        T value;
        std::uint64_t events = 0;
        Instant taken;
    };
    template <typename T>
    bool isFresh(const Reading<T>& reading, xcb_window_t window);
    std::optional<Reading<bool>> lastTrust_;
};

}  // namespace orvale::x11
