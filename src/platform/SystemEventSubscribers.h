#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/SessionPorts.h"

namespace orvale {

// The handlers subscribed to one source of system events, for backends to
// deliver to.
//
// Threads: every member may be called from any thread. `deliver` calls the
// handlers on the calling thread, in the order they subscribed, before it
// returns. Dropping a subscription waits for a delivery in progress on
// another thread, so that once the drop returns its handler is not running.
// A handler may subscribe, but must neither drop a subscription nor deliver.
// Subscriptions must not outlive the list.
class SystemEventSubscribers {
  public:
    std::unique_ptr<SystemEvents::Subscription> subscribe(SystemEvents::Handler handler);
    void deliver(SystemEvent event);
    std::size_t size() const;

  private:
    class Entry;
    void unsubscribe(std::uint64_t id);

    // Held for a whole delivery, so that a drop waits for it to end.
    std::mutex delivering_;
    mutable std::mutex mutex_;
    std::map<std::uint64_t, SystemEvents::Handler> handlers_;
    std::uint64_t nextID_ = 0;
};

}  // namespace orvale
