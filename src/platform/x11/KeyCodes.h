#pragma once

#include <cstdint>
#include <optional>

namespace orvale::x11 {

// Stored key codes (the physical keys of the shortcut table) and X key codes
// name the same physical keys; X servers on Linux number keys as the kernel's
// input layer does, plus 8. Every key of the shortcut table has an X key
// code, and so has code 10, the extra key left of Z on ISO keyboards.

// The X key code of a stored key code; nothing for a key that has none.
std::optional<std::uint8_t> xKeyCode(std::uint32_t keyCode);
// The stored key code of an X key code; nothing for a key with no stored code.
std::optional<std::uint32_t> storedKeyCode(std::uint8_t xKeyCode);

}  // namespace orvale::x11
