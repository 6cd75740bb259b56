#pragma once

#include <string>

#include "platform/AXTypes.h"

namespace orvale {

// One call the simulated desktop was asked to carry out, in the order asked,
// so tests can check what the logic did and did not do.
struct SimulatedAction {
    // `pointer` is a reading of the pointer's buttons: no element, the
    // attribute "pressedButtons", the mask answered as a number.
    enum class Kind { read, write, pointer };

    Kind kind = Kind::read;
    AXElement element;
    std::string attribute;
    // The value written, for writes.
    AXValue value;
    // The call's messaging timeout.
    double seconds = 0;
    AXError result = AXErrorCode::success;
};

}  // namespace orvale
