#include "platform/x11/KeyCodes.h"

#include <array>
#include <utility>

namespace orvale::x11 {
namespace {

// X key codes are the kernel's input codes (linux/input-event-codes.h) plus 8.
constexpr std::uint8_t kEvdevOffset = 8;

// Stored key code, kernel input code.
constexpr std::array<std::pair<std::uint32_t, std::uint8_t>, 96> kKeys{{
    // Letters
    {0, 30},   // A
    {1, 31},   // S
    {2, 32},   // D
    {3, 33},   // F
    {4, 35},   // H
    {5, 34},   // G
    {6, 44},   // Z
    {7, 45},   // X
    {8, 46},   // C
    {9, 47},   // V
    {11, 48},  // B
    {12, 16},  // Q
    {13, 17},  // W
    {14, 18},  // E
    {15, 19},  // R
    {16, 21},  // Y
    {17, 20},  // T
    {31, 24},  // O
    {32, 22},  // U
    {34, 23},  // I
    {35, 25},  // P
    {37, 38},  // L
    {38, 36},  // J
    {40, 37},  // K
    {44, 49},  // N
    {45, 50},  // M
    // Digits
    {18, 2},   // 1
    {19, 3},   // 2
    {20, 4},   // 3
    {21, 5},   // 4
    {23, 6},   // 5
    {22, 7},   // 6
    {26, 8},   // 7
    {28, 9},   // 8
    {25, 10},  // 9
    {29, 11},  // 0
    // Named keys
    {36, 28},    // Return
    {48, 15},    // Tab
    {49, 57},    // Space
    {51, 14},    // Backspace
    {53, 1},     // Escape
    {71, 69},    // Num Lock
    {76, 96},    // Enter (keypad)
    {114, 110},  // Insert
    {115, 102},  // Home
    {116, 104},  // Page Up
    {117, 111},  // Delete
    {119, 107},  // End
    {121, 109},  // Page Down
    // Function keys
    {122, 59},   // F1
    {120, 60},   // F2
    {99, 61},    // F3
    {118, 62},   // F4
    {96, 63},    // F5
    {97, 64},    // F6
    {98, 65},    // F7
    {100, 66},   // F8
    {101, 67},   // F9
    {109, 68},   // F10
    {103, 87},   // F11
    {111, 88},   // F12
    {105, 183},  // F13
    {107, 184},  // F14
    {113, 185},  // F15
    // Arrows
    {123, 105},  // Left
    {124, 106},  // Right
    {125, 108},  // Down
    {126, 103},  // Up
    // Punctuation
    {24, 13},  // =
    {27, 12},  // -
    {30, 27},  // ]
    {33, 26},  // [
    {39, 40},  // '
    {41, 39},  // ;
    {42, 43},  // backslash
    {43, 51},  // ,
    {46, 52},  // .
    {47, 53},  // /
    {50, 41},  // `
    {10, 86},  // the ISO key between left Shift and Z
    // Keypad
    {65, 83},   // .
    {67, 55},   // *
    {69, 78},   // +
    {75, 98},   // /
    {78, 74},   // -
    {81, 117},  // =
    {82, 82},   // 0
    {83, 79},   // 1
    {84, 80},   // 2
    {85, 81},   // 3
    {86, 75},   // 4
    {87, 76},   // 5
    {88, 77},   // 6
    {89, 71},   // 7
    {91, 72},   // 8
    {92, 73},   // 9
}};

}  // namespace

std::optional<std::uint8_t> xKeyCode(std::uint32_t keyCode) {
    for (const auto& [stored, input] : kKeys) {
        if (stored == keyCode) return static_cast<std::uint8_t>(input + kEvdevOffset);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> storedKeyCode(std::uint8_t xKeyCode) {
    for (const auto& [stored, input] : kKeys) {
        if (input + kEvdevOffset == xKeyCode) return stored;
    }
    return std::nullopt;
}

}  // namespace orvale::x11
