#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/KeyboardPorts.h"

namespace orvale {

// The handlers subscribed to one keyboard port, for backends to deliver to.
//
// Threads: every member may be called from any thread. `deliver` calls the
// handlers on the calling thread, in the order they subscribed, before it
// returns. Dropping a subscription waits for a delivery in progress on
// another thread, so that once the drop returns its handler is not running.
// A handler may subscribe, but must neither drop a subscription nor deliver.
// Subscriptions must not outlive the list.
template <typename... Args>
class KeyboardHandlers {
  public:
    using Handler = std::function<void(Args...)>;

    std::unique_ptr<KeyboardSubscription> subscribe(Handler handler) {
        std::lock_guard lock(mutex_);
        const std::uint64_t id = nextID_++;
        handlers_.emplace(id, std::move(handler));
        return std::make_unique<Entry>(*this, id);
    }

    void deliver(Args... args) {
        std::lock_guard delivery(delivering_);
        std::vector<Handler> handlers;
        {
            std::lock_guard lock(mutex_);
            for (const auto& [id, handler] : handlers_) handlers.push_back(handler);
        }
        for (const Handler& handler : handlers) handler(args...);
    }

    std::size_t size() const {
        std::lock_guard lock(mutex_);
        return handlers_.size();
    }

  private:
    class Entry final : public KeyboardSubscription {
      public:
        Entry(KeyboardHandlers& list, std::uint64_t id) : list_(list), id_(id) {}
        ~Entry() override {
            std::lock_guard delivery(list_.delivering_);
            std::lock_guard lock(list_.mutex_);
            list_.handlers_.erase(id_);
        }

      private:
        KeyboardHandlers& list_;
        std::uint64_t id_;
    };

    // Held for a whole delivery, so that a drop waits for it to end.
    std::mutex delivering_;
    mutable std::mutex mutex_;
    std::map<std::uint64_t, Handler> handlers_;
    std::uint64_t nextID_ = 0;
};

}  // namespace orvale
