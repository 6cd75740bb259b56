#pragma once

#include <chrono>
#include <memory>
#include <set>
#include <thread>

#include "platform/SessionPorts.h"
#include "platform/SystemEventSubscribers.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// The system events an X11 desktop reports: a RandR change of the screen, a
// CRTC or an output is `displaysChanged`; a process that owned a window in the
// window manager's list (by its `_NET_WM_PID`) and owns none any more is
// `applicationTerminated`, once per process. Clients that give no process id
// are not followed.
//
// It has a connection of its own, because reading events consumes them, and
// a thread of its own that waits for them from `open` until destruction; the
// handlers are called on that thread. A lost connection ends the deliveries
// quietly. Threads: `subscribe` and the drop of a subscription may be called
// from any thread (see SystemEvents); destroy this object on a thread that is
// not its own, after every subscription has been dropped.
class X11SystemEvents final : public SystemEvents {
  public:
    // How long one reading of the managed list may take at most.
    static constexpr std::chrono::milliseconds kReadTimeout{2000};

    // Connects as X11Connection::open does and reads the managed list, so
    // that every change after the return is reported. Nothing when the
    // display cannot be opened, with the reason in `error` when given.
    static std::unique_ptr<X11SystemEvents> open(
        const char* displayName = nullptr,
        std::chrono::milliseconds timeout = X11Connection::kOpenTimeout,
        OpenError* error = nullptr);
    ~X11SystemEvents() override;
    X11SystemEvents(const X11SystemEvents&) = delete;
    X11SystemEvents& operator=(const X11SystemEvents&) = delete;

    std::unique_ptr<Subscription> subscribe(Handler handler) override {
        return subscribers_.subscribe(std::move(handler));
    }

  private:
    X11SystemEvents(std::unique_ptr<X11Connection> connection, int stopDescriptor);
    void run();
    // The processes that own a window in the managed list, by `ownerOf` (a
    // client that names none stands for itself); nothing when the list could
    // not be read in time.
    std::optional<std::set<std::int32_t>> readOwners();
    // Reports the processes that own no listed window any more.
    void compareOwners();

    std::unique_ptr<X11Connection> connection_;
    // An eventfd that tells the thread to stop.
    int stopDescriptor_;
    std::uint8_t randrFirstEvent_ = 0;
    std::set<std::int32_t> owners_;
    SystemEventSubscribers subscribers_;
    // Last, so that it starts once the rest is in place.
    std::thread thread_;
};

}  // namespace orvale::x11
