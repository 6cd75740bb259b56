#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/x11/Clients.h"
#include "platform/x11/Monitors.h"
#include "platform/x11/WindowGeometry.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// One managed client as last read: what it is and where it is.
struct ClientReading {
    Client client;
    WindowGeometry geometry;
};

// Every managed client, front to back, and where the global space starts.
struct DeskReading {
    std::vector<ClientReading> clients;
    std::optional<std::uint32_t> currentDesktop;
    Origin origin;
};

// What the backend last read about the managed clients, shared by its ports.
// A reading is reused while no event says it changed, for at most a tenth of
// a second (in case a window manager changes something without saying so).
// What is stale is read again in one go: the lists and every stale client's
// properties and geometry are requested together and then collected, so a
// whole desk costs one round trip however many windows it has (two when the
// list names windows not read before). A scan that asks window by window,
// attribute by attribute, then asks the server once.
//
// Not thread-safe: callers hold the connection's lock.
class ClientReadings {
  public:
    explicit ClientReadings(X11Connection& connection) : connection_(connection) {}

    // Every managed client; clients that vanish while being read are left
    // out. Nothing when the lists cannot be read by `deadline`.
    std::optional<DeskReading> desk(Instant deadline);
    // One managed client: an invalid element when it is not managed (any
    // more), "cannot complete" when the server did not answer in time.
    AXError client(xcb_window_t window, Instant deadline, ClientReading& reading, Origin& origin);
    // Takes what the caller learned just now (the window manager's answer to
    // a write) as the window's reading.
    void remember(xcb_window_t window, const ClientReading& reading);
    // Makes the window's next reading a fresh one.
    void forget(xcb_window_t window) {
        clients_.erase(window);
        allFreshAt_ = kNever;
    }

  private:
    struct List {
        // Front to back.
        std::vector<xcb_window_t> windows;
        std::optional<std::uint32_t> currentDesktop;
        Origin origin;
    };
    template <typename T>
    struct Reading {
        T value;
        std::uint64_t events = 0;
        Instant taken;
    };
    bool isYoung(Instant taken) const;
    bool isFresh(xcb_window_t window, Reading<ClientReading>& reading);
    // Reads again what is stale; "cannot complete" when the server did not
    // answer in time.
    AXError refresh(Instant deadline);

    X11Connection& connection_;
    // The events taken in by the latest mark.
    std::uint64_t eventsNoted_ = 0;
    // When nothing has come in since this mark, every reading is as fresh as
    // the oldest of them.
    static constexpr std::uint64_t kNever = ~std::uint64_t{0};
    std::uint64_t allFreshAt_ = kNever;
    Instant oldestTaken_;
    std::optional<Reading<List>> list_;
    std::unordered_map<xcb_window_t, Reading<ClientReading>> clients_;
};

}  // namespace orvale::x11
