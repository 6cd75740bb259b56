#include "platform/sim/SimulatedSession.h"

#include <vector>

namespace orvale {

class SimulatedSession::Entry final : public Subscription {
  public:
    Entry(SimulatedSession& session, std::uint64_t id) : session_(session), id_(id) {}
    ~Entry() override { session_.unsubscribe(id_); }

  private:
    SimulatedSession& session_;
    std::uint64_t id_;
};

void SimulatedSession::setReading(std::optional<SessionReading> reading) {
    std::lock_guard lock(mutex_);
    reading_ = reading;
}

std::optional<SessionReading> SimulatedSession::current() {
    std::lock_guard lock(mutex_);
    return reading_;
}

void SimulatedSession::emit(SystemEvent event) {
    std::lock_guard delivery(delivering_);
    std::vector<Handler> handlers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, handler] : handlers_) handlers.push_back(handler);
    }
    for (const Handler& handler : handlers) handler(event);
}

std::unique_ptr<SystemEvents::Subscription> SimulatedSession::subscribe(Handler handler) {
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextID_++;
    handlers_.emplace(id, std::move(handler));
    return std::make_unique<Entry>(*this, id);
}

std::size_t SimulatedSession::liveSubscriptions() const {
    std::lock_guard lock(mutex_);
    return handlers_.size();
}

void SimulatedSession::unsubscribe(std::uint64_t id) {
    std::lock_guard delivery(delivering_);
    std::lock_guard lock(mutex_);
    handlers_.erase(id);
}

}  // namespace orvale
