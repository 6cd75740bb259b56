#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/Shortcut.h"
#include "model/ShortcutFormatter.h"

namespace orvale {

// A combination typed as text, or why it cannot be used.
struct ParsedShortcut {
    std::optional<Shortcut> shortcut;
    // Set exactly when `shortcut` is not.
    std::optional<std::string> problem;

    bool operator==(const ParsedShortcut&) const = default;
};

// Reads a combination written the way labels are, such as "Super+Alt+1",
// "ctrl+shift+F5", "Alt+Left" or "Ctrl++": modifiers (Shift, Ctrl or
// Control, Alt, Super) and one key, joined by "+", in any order and letter
// case. A key is named as the keyboard layout prints it (when `labels` is
// given), else by its fixed name ("Page Up" or "PageUp"), "Keypad 1" for a
// keypad key that prints like a main one, or "Key 10" for a key without a
// name. What it names must pass the checks a recorded shortcut passes.
ParsedShortcut parseShortcut(std::string_view text, const KeyLabelSource* labels = nullptr);

}  // namespace orvale
