#pragma once

#include <memory>
#include <vector>

#include "platform/SessionPorts.h"

namespace orvale {

// Several sources of system events seen as one, so that the model keeps a
// single dependency while the window system reports displays and
// applications and the login manager reports the session.
//
// Threads: as the sources. A subscription subscribes the handler to every
// source, so the handler may be called on any source's thread; dropping it
// drops each source's subscription in turn, with each source's guarantee.
// The sources must outlive this object and its subscriptions.
class MergedSystemEvents final : public SystemEvents {
  public:
    explicit MergedSystemEvents(std::vector<SystemEvents*> sources)
        : sources_(std::move(sources)) {}

    std::unique_ptr<Subscription> subscribe(Handler handler) override;

  private:
    std::vector<SystemEvents*> sources_;
};

}  // namespace orvale
