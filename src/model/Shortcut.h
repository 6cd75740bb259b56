#pragma once

#include <cstdint>
#include <functional>

namespace orvale {

// Modifier bits of a shortcut, as the hot-key interface numbers them. On a
// Linux desktop command is Super, option is Alt and control is Ctrl.
namespace Modifier {
inline constexpr std::uint32_t command = 256;
inline constexpr std::uint32_t shift = 512;
inline constexpr std::uint32_t option = 2048;
inline constexpr std::uint32_t control = 4096;
inline constexpr std::uint32_t all = command | shift | option | control;  // 6912
}  // namespace Modifier

// A keyboard shortcut: a physical key code and a mask of modifier bits.
struct Shortcut {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;

    bool operator==(const Shortcut&) const = default;

    // Only these may be stored: a 16-bit key code and no unknown modifier bits.
    bool isStorable() const { return keyCode <= 65535 && (modifiers & ~Modifier::all) == 0; }
};

}  // namespace orvale

template <>
struct std::hash<orvale::Shortcut> {
    std::size_t operator()(const orvale::Shortcut& s) const noexcept {
        return std::hash<std::uint64_t>{}((std::uint64_t{s.keyCode} << 32) | s.modifiers);
    }
};
