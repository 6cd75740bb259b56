#include "platform/sim/SimulatedSession.h"

namespace orvale {

void SimulatedSession::setReading(std::optional<SessionReading> reading) {
    std::lock_guard lock(mutex_);
    reading_ = reading;
}

std::optional<SessionReading> SimulatedSession::current() {
    std::lock_guard lock(mutex_);
    return reading_;
}

}  // namespace orvale
