#include "platform/SystemEventSubscribers.h"

#include <vector>

namespace orvale {

class SystemEventSubscribers::Entry final : public SystemEvents::Subscription {
  public:
    Entry(SystemEventSubscribers& list, std::uint64_t id) : list_(list), id_(id) {}
    ~Entry() override { list_.unsubscribe(id_); }

  private:
    SystemEventSubscribers& list_;
    std::uint64_t id_;
};

std::unique_ptr<SystemEvents::Subscription> SystemEventSubscribers::subscribe(
    SystemEvents::Handler handler) {
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextID_++;
    handlers_.emplace(id, std::move(handler));
    return std::make_unique<Entry>(*this, id);
}

void SystemEventSubscribers::deliver(SystemEvent event) {
    std::lock_guard delivery(delivering_);
    std::vector<SystemEvents::Handler> handlers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, handler] : handlers_) handlers.push_back(handler);
    }
    for (const SystemEvents::Handler& handler : handlers) handler(event);
}

std::size_t SystemEventSubscribers::size() const {
    std::lock_guard lock(mutex_);
    return handlers_.size();
}

void SystemEventSubscribers::unsubscribe(std::uint64_t id) {
    std::lock_guard delivery(delivering_);
    std::lock_guard lock(mutex_);
    handlers_.erase(id);
}

}  // namespace orvale
