#pragma once

// Rectangles in points in the one global space (origin at the primary display's
// top-left corner, y growing downwards), and window frames relative to a
// display's visible area. Stored layouts and restores depend on these rules
// exactly, so every rounding and bound here is deliberate.

namespace orvale {

// Rounds to the nearest whole number, halves away from zero (2.5 → 3, −2.5 → −3).
double roundHalfAwayFromZero(double value);

struct SizeD {
    double width = 0;
    double height = 0;

    bool operator==(const SizeD&) const = default;
};

struct RectD {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const RectD&) const = default;

    // Finite with a positive width and height.
    bool isUsableFrame() const;

    // Every field within `tolerance` of the other's; any NaN makes it false.
    bool isApproximatelyEqual(const RectD& other, double tolerance) const;

    // Forces a target frame into `bounds`, never shrinking it below itself or
    // `minimumSize`. A window taller than `bounds` keeps its top 28 points (the
    // title strip) inside and may hang below; horizontally there is no such
    // allowance. The result is rounded to whole points.
    RectD clamped(const RectD& bounds, SizeD minimumSize) const;
};

// The height of a window's title strip, which clamping keeps on the display.
inline constexpr double kTitleStripHeight = 28;

struct RelativeFrame {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const RelativeFrame&) const = default;

    // `frame` in units of `visibleFrame`; (0, 0, 0.5, 0.5) when either is not
    // finite or the visible frame has no area.
    static RelativeFrame make(const RectD& frame, const RectD& visibleFrame);

    // The absolute frame within `visibleFrame`; with an unusable visible frame,
    // the relative numbers themselves with negative sizes replaced by 0.
    RectD absolute(const RectD& visibleFrame) const;

    // Finite, within sixteen display sizes of the origin, with a positive size
    // of at most sixteen display sizes.
    bool isStorable() const;
};

}  // namespace orvale
