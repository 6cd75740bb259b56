#include "platform/MergedSystemEvents.h"

namespace orvale {
namespace {

class Subscriptions final : public SystemEvents::Subscription {
  public:
    std::vector<std::unique_ptr<SystemEvents::Subscription>> held;
};

}  // namespace

std::unique_ptr<SystemEvents::Subscription> MergedSystemEvents::subscribe(Handler handler) {
    auto all = std::make_unique<Subscriptions>();
    for (SystemEvents* source : sources_) all->held.push_back(source->subscribe(handler));
    return all;
}

}  // namespace orvale
