#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvale {

// The label of a key that produces `text` on the keyboard layout: nothing
// when the text begins with a control character or a line break, or is only
// white space; otherwise the text trimmed and in upper case ("q" is "Q", "é"
// is "É"). Malformed UTF-8 is replaced, never passed through.
std::optional<std::string> printableKeyLabel(std::string_view text);

// `name` under Unicode case folding, so that key names compare without regard
// to letter case ("page up" is "Page Up", "é" is "É").
std::string foldedKeyName(std::string_view name);

}  // namespace orvale
