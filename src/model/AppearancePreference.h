#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace orvale {

// Whether the program follows the system's light or dark appearance or forces one.
enum class AppearancePreference { system, light, dark };

inline constexpr std::array<AppearancePreference, 3> kAppearancePreferences{
    AppearancePreference::system, AppearancePreference::light, AppearancePreference::dark};

// The stored text: "system", "light" or "dark".
std::string_view rawValue(AppearancePreference appearance);
std::optional<AppearancePreference> appearanceFromRawValue(std::string_view raw);

}  // namespace orvale
