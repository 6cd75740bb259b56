#pragma once

#include <cstdint>

#include "model/Shortcut.h"

// Shortcut's modifier bits under the names Linux desktops give them.
namespace orvale::testing {

inline constexpr std::uint32_t kSuper = Modifier::command;
inline constexpr std::uint32_t kShift = Modifier::shift;
inline constexpr std::uint32_t kAlt = Modifier::option;
inline constexpr std::uint32_t kCtrl = Modifier::control;

}  // namespace orvale::testing
