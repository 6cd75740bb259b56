#include "model/HighlightColor.h"

namespace orvale {
namespace {

struct ColorNames {
    std::string_view raw;
    std::string_view label;
    Rgb rgb;
};

constexpr std::array<ColorNames, 10> kNames{{
    {"blue", "Blue", {0, 122, 255}},
    {"indigo", "Indigo", {88, 86, 214}},
    {"purple", "Purple", {175, 82, 222}},
    {"pink", "Pink", {255, 45, 85}},
    {"red", "Red", {255, 59, 48}},
    {"orange", "Orange", {255, 149, 0}},
    {"yellow", "Yellow", {255, 204, 0}},
    {"green", "Green", {52, 199, 89}},
    {"teal", "Teal", {48, 176, 199}},
    {"graphite", "Graphite", {142, 142, 147}},
}};

}  // namespace

std::string_view rawValue(HighlightColor color) {
    return kNames[static_cast<int>(color)].raw;
}

std::string_view label(HighlightColor color) {
    return kNames[static_cast<int>(color)].label;
}

Rgb rgb(HighlightColor color) {
    return kNames[static_cast<int>(color)].rgb;
}

std::optional<HighlightColor> highlightColorFromRawValue(std::string_view raw) {
    for (HighlightColor color : kHighlightColors) {
        if (rawValue(color) == raw) return color;
    }
    return std::nullopt;
}

}  // namespace orvale
