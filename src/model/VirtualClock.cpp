#include "model/VirtualClock.h"

namespace orvale {

Clock::Instant VirtualClock::now() const {
    std::lock_guard lock(mutex_);
    return Instant{} + elapsed_;
}

Timestamp VirtualClock::wallTime() const {
    std::lock_guard lock(mutex_);
    return {wallStart_.secondsSince1970 + std::chrono::duration<double>(elapsed_).count()};
}

void VirtualClock::advance(Duration duration) {
    std::lock_guard lock(mutex_);
    if (duration > Duration::zero()) elapsed_ += duration;
}

}  // namespace orvale
