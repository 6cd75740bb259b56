#pragma once

#include "platform/Ports.h"

namespace orvale {

class SystemClock final : public Clock {
  public:
    Instant now() const override { return std::chrono::steady_clock::now(); }
    Timestamp wallTime() const override {
        const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
        return {std::chrono::duration<double>(sinceEpoch).count()};
    }
};

}  // namespace orvale
