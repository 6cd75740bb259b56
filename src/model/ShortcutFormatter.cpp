#include "model/ShortcutFormatter.h"

#include <array>
#include <string_view>

#include "model/Shortcut.h"

namespace orvale::ShortcutFormatter {
namespace {

// Names of physical keys as Linux desktops print them. The codes are those of
// an Apple keyboard, so its Delete is Backspace here, Forward Delete is Delete,
// Help sits where Insert is and Clear where Num Lock is. Keypad keys print like
// their main-keyboard counterparts.
constexpr std::array<KeyName, 95> kKeyNames{{
    // Letters
    {0, "A"},
    {1, "S"},
    {2, "D"},
    {3, "F"},
    {4, "H"},
    {5, "G"},
    {6, "Z"},
    {7, "X"},
    {8, "C"},
    {9, "V"},
    {11, "B"},
    {12, "Q"},
    {13, "W"},
    {14, "E"},
    {15, "R"},
    {16, "Y"},
    {17, "T"},
    {31, "O"},
    {32, "U"},
    {34, "I"},
    {35, "P"},
    {37, "L"},
    {38, "J"},
    {40, "K"},
    {44, "N"},
    {45, "M"},
    // Digits
    {18, "1"},
    {19, "2"},
    {20, "3"},
    {21, "4"},
    {23, "5"},
    {22, "6"},
    {26, "7"},
    {28, "8"},
    {25, "9"},
    {29, "0"},
    // Named keys
    {36, "Return"},
    {48, "Tab"},
    {49, "Space"},
    {51, "Backspace"},
    {53, "Escape"},
    {71, "Num Lock"},
    {76, "Enter"},
    {114, "Insert"},
    {115, "Home"},
    {116, "Page Up"},
    {117, "Delete"},
    {119, "End"},
    {121, "Page Down"},
    // Function keys
    {122, "F1"},
    {120, "F2"},
    {99, "F3"},
    {118, "F4"},
    {96, "F5"},
    {97, "F6"},
    {98, "F7"},
    {100, "F8"},
    {101, "F9"},
    {109, "F10"},
    {103, "F11"},
    {111, "F12"},
    {105, "F13"},
    {107, "F14"},
    {113, "F15"},
    // Arrows
    {123, "Left"},
    {124, "Right"},
    {125, "Down"},
    {126, "Up"},
    // Punctuation
    {24, "="},
    {27, "-"},
    {30, "]"},
    {33, "["},
    {39, "'"},
    {41, ";"},
    {42, "\\"},
    {43, ","},
    {46, "."},
    {47, "/"},
    {50, "`"},
    // Keypad
    {65, "."},
    {67, "*"},
    {69, "+"},
    {75, "/"},
    {78, "-"},
    {81, "="},
    {82, "0"},
    {83, "1"},
    {84, "2"},
    {85, "3"},
    {86, "4"},
    {87, "5"},
    {88, "6"},
    {89, "7"},
    {91, "8"},
    {92, "9"},
}};

}  // namespace

std::string modifierPrefix(std::uint32_t modifiers) {
    std::string prefix;
    if (modifiers & Modifier::shift) prefix += "Shift+";
    if (modifiers & Modifier::control) prefix += "Ctrl+";
    if (modifiers & Modifier::option) prefix += "Alt+";
    if (modifiers & Modifier::command) prefix += "Super+";
    return prefix;
}

std::span<const KeyName> keyNames() {
    return kKeyNames;
}

std::optional<std::string> tableKeyName(std::uint32_t keyCode) {
    for (const KeyName& entry : kKeyNames) {
        if (entry.keyCode == keyCode) return std::string(entry.name);
    }
    return std::nullopt;
}

std::string keyName(std::uint32_t keyCode, const KeyLabelSource* layout) {
    if (layout) {
        if (auto name = layout->name(keyCode)) return *name;
    }
    if (auto name = tableKeyName(keyCode)) return *name;
    return "Key " + std::to_string(keyCode);
}

std::string label(std::uint32_t keyCode, std::uint32_t modifiers, const KeyLabelSource* layout) {
    return modifierPrefix(modifiers) + keyName(keyCode, layout);
}

}  // namespace orvale::ShortcutFormatter
