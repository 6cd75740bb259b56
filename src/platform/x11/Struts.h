#pragma once

#include <cstdint>
#include <vector>

#include "model/Geometry.h"

namespace orvale::x11 {

// The part of `monitor` that a set of `_NET_WM_STRUT_PARTIAL` values (twelve
// each, measured from the edges of a root window of `rootSize`) leaves free.
// Only struts that overlap the monitor take anything from it.
RectD visibleArea(const RectD& monitor, SizeD rootSize,
                  const std::vector<std::vector<std::uint32_t>>& struts);

}  // namespace orvale::x11
