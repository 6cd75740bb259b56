#include "shortcuts/ShortcutParser.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <utility>
#include <vector>

#include "shortcuts/KeyText.h"
#include "shortcuts/ShortcutRecording.h"

namespace orvale {
namespace {

constexpr std::uint32_t kEscape = 53;
// Keys past the keypad (the last named one is 126) print no text.
constexpr std::uint32_t kLastLabelledKey = 127;
constexpr std::array<std::uint32_t, 16> kKeypad = {65, 67, 69, 75, 78, 81, 82, 83,
                                                   84, 85, 86, 87, 88, 89, 91, 92};

constexpr std::string_view kEmpty = "Type a shortcut such as Super+Alt+1.";
constexpr std::string_view kNoKey = "Name a key after the modifiers, as in Super+Alt+1.";
constexpr std::string_view kEscapeRefused = "Escape can’t be part of a shortcut.";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Folded, without spaces, so that "page up", "PageUp" and "Page Up" match.
std::string comparable(std::string_view name) {
    std::string folded = foldedKeyName(name);
    std::erase(folded, ' ');
    return folded;
}

std::optional<std::uint32_t> modifierNamed(std::string_view name) {
    const std::string folded = comparable(name);
    static const std::array<std::pair<std::string_view, std::uint32_t>, 5> kNames = {{
        {"shift", Modifier::shift},
        {"ctrl", Modifier::control},
        {"control", Modifier::control},
        {"alt", Modifier::option},
        {"super", Modifier::command},
    }};
    for (const auto& [modifier, bit] : kNames) {
        if (folded == modifier) return bit;
    }
    return std::nullopt;
}

bool isKeypad(std::uint32_t keyCode) {
    for (const std::uint32_t keypad : kKeypad) {
        if (keypad == keyCode) return true;
    }
    return false;
}

std::optional<std::uint32_t> keyNamed(std::string_view name, const KeyLabelSource* labels) {
    const std::string folded = comparable(name);
    // A key is first what the labels print for it, so that reading a label
    // gives back its key: on a German layout "Z" is the key that prints Z,
    // not the one the table calls Z. Where two keys print alike (the keypad's
    // and the main keyboard's), the main keyboard's comes first.
    std::vector<std::uint32_t> order;
    for (const ShortcutFormatter::KeyName& entry : ShortcutFormatter::keyNames()) {
        order.push_back(entry.keyCode);
    }
    for (std::uint32_t code = 0; code <= kLastLabelledKey; ++code) {
        if (!ShortcutFormatter::tableKeyName(code)) order.push_back(code);
    }
    for (const std::uint32_t code : order) {
        if (comparable(ShortcutFormatter::keyName(code, labels)) == folded) return code;
    }
    // Then the fixed names the layout shadows, the keypad by name, and any
    // other key by number.
    for (const ShortcutFormatter::KeyName& entry : ShortcutFormatter::keyNames()) {
        if (comparable(entry.name) == folded) return entry.keyCode;
    }
    for (const ShortcutFormatter::KeyName& entry : ShortcutFormatter::keyNames()) {
        if (isKeypad(entry.keyCode) && comparable("Keypad " + std::string(entry.name)) == folded) {
            return entry.keyCode;
        }
    }
    if (folded.starts_with("key")) {
        std::uint32_t code = 0;
        const char* begin = folded.data() + 3;
        const char* end = folded.data() + folded.size();
        const auto [stop, error] = std::from_chars(begin, end, code);
        if (error == std::errc() && stop == end && begin != end && code <= 65535) return code;
    }
    return std::nullopt;
}

ParsedShortcut refused(std::string problem) {
    return {std::nullopt, std::move(problem)};
}

}  // namespace

ParsedShortcut parseShortcut(std::string_view text, const KeyLabelSource* labels) {
    text = trimmed(text);
    if (text.empty()) return refused(std::string(kEmpty));

    // The key follows the last "+", unless it is the "+" key itself.
    std::string_view modifiers, key;
    if (text.ends_with('+') && (text.size() == 1 || text[text.size() - 2] == '+')) {
        key = "+";
        modifiers = text.substr(0, text.size() - 1);
        if (!modifiers.empty()) modifiers.remove_suffix(1);
    } else if (const auto plus = text.rfind('+'); plus != std::string_view::npos) {
        key = trimmed(text.substr(plus + 1));
        modifiers = text.substr(0, plus);
    } else {
        key = text;
    }
    if (key.empty()) return refused(std::string(kNoKey));

    Shortcut shortcut;
    while (!modifiers.empty()) {
        const auto plus = modifiers.find('+');
        const std::string_view word = trimmed(modifiers.substr(0, plus));
        const std::optional<std::uint32_t> bit = modifierNamed(word);
        if (!bit) {
            return refused("“" + std::string(word) +
                           "” is not a modifier. Use Shift, Ctrl, Alt or Super.");
        }
        shortcut.modifiers |= *bit;
        modifiers =
            plus == std::string_view::npos ? std::string_view() : modifiers.substr(plus + 1);
    }
    const std::optional<std::uint32_t> code = keyNamed(key, labels);
    if (!code) {
        return refused("“" + std::string(key) +
                       "” is not a key name. Use a letter, a digit, or a name such as F5, Left, "
                       "Space or Page Up.");
    }
    shortcut.keyCode = *code;
    if (shortcut.keyCode == kEscape) return refused(std::string(kEscapeRefused));
    if (auto problem = shortcutValidationMessage(shortcut, labels)) return refused(*problem);
    return {shortcut, std::nullopt};
}

}  // namespace orvale
