#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvale {

inline constexpr std::size_t kLayoutNameMaxCharacters = 120;
inline constexpr std::string_view kEnterLayoutNameMessage = "Enter a layout name.";

// A layout name as it is stored: white space and line breaks trimmed from both
// ends, then cut to its first 120 user-perceived characters (grapheme
// clusters), so that no accent or emoji sequence is split. Empty when nothing
// is left, which callers refuse with kEnterLayoutNameMessage. Malformed UTF-8
// is replaced, never passed through.
std::string normalizedLayoutName(std::string_view name);

// Whether `name`, trimmed, is longer than 120 user-perceived characters, so
// that normalizedLayoutName would cut it. Whoever takes a name from the user
// refuses such a name rather than save a shortened one the user never typed.
bool layoutNameTooLong(std::string_view name);

// `name` under Unicode full case folding: two layout names are the same name
// when their folded forms are equal ("Über" and "über", "STRASSE" and
// "Straße"). Malformed UTF-8 is replaced, as above.
std::string foldedLayoutName(std::string_view name);

}  // namespace orvale
