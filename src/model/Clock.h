#pragma once

#include <chrono>

#include "model/Timestamp.h"

namespace orvale {

// Monotonic time for deadlines and waiting, and wall time for stored dates.
// Every wait and every stored date in the program reads one of these, so tests
// can run on a VirtualClock.
//
// Thread safety: implementations may be read from any thread at any time.
// Reading never blocks.
class Clock {
  public:
    using Instant = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~Clock() = default;
    virtual Instant now() const = 0;
    virtual Timestamp wallTime() const = 0;
};

// The machine's clocks: steady time and the system's wall time.
class SystemClock final : public Clock {
  public:
    Instant now() const override { return std::chrono::steady_clock::now(); }
    Timestamp wallTime() const override {
        const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
        return {std::chrono::duration<double>(sinceEpoch).count()};
    }
};

// The process-wide system clock; it holds no state.
inline Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

// Seconds as a clock duration, for the many timeouts given in seconds.
inline Clock::Duration seconds(double value) {
    return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(value));
}

}  // namespace orvale
