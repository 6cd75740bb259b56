#include "model/AppearancePreference.h"

namespace orvale {

std::string_view rawValue(AppearancePreference appearance) {
    switch (appearance) {
        case AppearancePreference::light:
            return "light";
        case AppearancePreference::dark:
            return "dark";
        case AppearancePreference::system:
            break;
    }
    return "system";
}

std::optional<AppearancePreference> appearanceFromRawValue(std::string_view raw) {
    for (AppearancePreference appearance : kAppearancePreferences) {
        if (rawValue(appearance) == raw) return appearance;
    }
    return std::nullopt;
}

}  // namespace orvale
