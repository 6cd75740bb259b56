#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/SessionPorts.h"
#include "platform/SystemEventSubscribers.h"

namespace orvale {

// A login session and a source of system events scripted by tests. The
// session starts unlocked, on the console, with the login done.
//
// Threads: every member may be called from any thread. `deliver` calls the
// handlers on the calling thread, in the order they subscribed, before it
// returns. Dropping a subscription waits for a delivery in progress on another
// thread; a handler may read or set the session and subscribe, but must not
// drop a subscription, nor deliver. Subscriptions must not outlive the session.
class SimulatedSession final : public LoginSession, public SystemEvents {
  public:
    // Nothing: the session cannot be read.
    void setReading(std::optional<SessionReading> reading);
    std::optional<SessionReading> current() override;

    void deliver(SystemEvent event) { subscribers_.deliver(event); }
    std::unique_ptr<Subscription> subscribe(Handler handler) override {
        return subscribers_.subscribe(std::move(handler));
    }
    std::size_t liveSubscriptions() const { return subscribers_.size(); }

  private:
    mutable std::mutex mutex_;
    std::optional<SessionReading> reading_ = SessionReading{false, true, true};
    SystemEventSubscribers subscribers_;
};

}  // namespace orvale
