#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orvale {

// The accent of the restored-window flash and of selection highlights.
enum class HighlightColor {
    blue,
    indigo,
    purple,
    pink,
    red,
    orange,
    yellow,
    green,
    teal,
    graphite
};

// Every colour in the order pickers list them.
inline constexpr std::array<HighlightColor, 10> kHighlightColors{
    HighlightColor::blue, HighlightColor::indigo,  HighlightColor::purple, HighlightColor::pink,
    HighlightColor::red,  HighlightColor::orange,  HighlightColor::yellow, HighlightColor::green,
    HighlightColor::teal, HighlightColor::graphite};

// The stored raw value, which is also the colour's identifier ("blue").
std::string_view rawValue(HighlightColor color);
// The name shown to the user ("Blue").
std::string_view label(HighlightColor color);
std::optional<HighlightColor> highlightColorFromRawValue(std::string_view raw);

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const Rgb&) const = default;
};

// The colour drawn on screen, opaque sRGB.
Rgb rgb(HighlightColor color);

}  // namespace orvale
