#include "model/HighlightColor.h"

namespace orvale {
namespace {

struct ColorNames {
    std::string_view raw;
    std::string_view label;
};

constexpr std::array<ColorNames, 10> kNames{{
    {"blue", "Blue"},
    {"indigo", "Indigo"},
    {"purple", "Purple"},
    {"pink", "Pink"},
    {"red", "Red"},
    {"orange", "Orange"},
    {"yellow", "Yellow"},
    {"green", "Green"},
    {"teal", "Teal"},
    {"graphite", "Graphite"},
}};

}  // namespace

std::string_view rawValue(HighlightColor color) {
    return kNames[static_cast<int>(color)].raw;
}

std::string_view label(HighlightColor color) {
    return kNames[static_cast<int>(color)].label;
}

std::optional<HighlightColor> highlightColorFromRawValue(std::string_view raw) {
    for (HighlightColor color : kHighlightColors) {
        if (rawValue(color) == raw) return color;
    }
    return std::nullopt;
}

}  // namespace orvale
