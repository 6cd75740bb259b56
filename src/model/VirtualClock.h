#pragma once

#include <mutex>

#include "model/Clock.h"

namespace orvale {

// A clock that moves only when told to, so deadlines and timeouts can be
// driven step by step. Wall time moves with it. Safe to read from any thread.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(Timestamp wallStart = {1'750'000'000.0}) : wallStart_(wallStart) {}

    Instant now() const override;
    Timestamp wallTime() const override;

    void advance(Duration duration);
    void advance(double secondsToAdvance) { advance(seconds(secondsToAdvance)); }

  private:
    mutable std::mutex mutex_;
    Timestamp wallStart_;
    Duration elapsed_{};
};

}  // namespace orvale
