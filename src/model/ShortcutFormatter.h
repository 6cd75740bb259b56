#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvale {

// What a key prints as on the user's current keyboard layout, when the layout
// gives it a printable character.
class KeyLabelSource {
  public:
    virtual ~KeyLabelSource() = default;
    virtual std::optional<std::string> name(std::uint32_t keyCode) const = 0;
};

// Labels for shortcuts as Linux desktops write them, such as Ctrl+Alt+Super+K
// or Super+Left.
namespace ShortcutFormatter {

// "Shift+", "Ctrl+", "Alt+", "Super+" for the modifiers set, always in that
// order (the order GTK's keyboard settings use).
std::string modifierPrefix(std::uint32_t modifiers);

// The keyboard layout's label when `layout` gives one, else the fixed name of
// the key, else "Key " and the code.
std::string keyName(std::uint32_t keyCode, const KeyLabelSource* layout = nullptr);

// The fixed name of the key, without consulting any keyboard layout.
std::optional<std::string> tableKeyName(std::uint32_t keyCode);

struct KeyName {
    std::uint32_t keyCode;
    std::string_view name;
};
// Every key with a fixed name; the main keyboard's keys come before the
// keypad's, which print like them.
std::span<const KeyName> keyNames();

// The modifiers followed by the key name.
std::string label(std::uint32_t keyCode, std::uint32_t modifiers,
                  const KeyLabelSource* layout = nullptr);

}  // namespace ShortcutFormatter
}  // namespace orvale
