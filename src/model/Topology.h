#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/DisplaySnapshot.h"

namespace orvale::Topology {

// The display-setup signature: one element per display in display order,
// "key@X,Y,WxH/PWxPH@S" followed by "P" or "S", joined with "|". Frame values and the
// scale are printed in tenths; two setups are the same exactly when their
// signatures are equal as text. The visible frame plays no part.
std::string signature(const std::vector<DisplaySnapshot>& displays);

// A value in tenths, rounded half away from zero; 0 for non-finite values and
// for results outside the signed 64-bit range.
std::int64_t tenths(double value);

}  // namespace orvale::Topology
