#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "model/Clock.h"
#include "model/Geometry.h"
#include "model/HighlightColor.h"

namespace orvale {

// One click-through overlay window on screen: it takes no input and no focus,
// is neither decorated nor listed by the window manager, and stays above
// ordinary windows. It is on screen from its creation until it is destroyed.
//
// Threads: main thread only.
class OverlayPanel {
  public:
    enum class Easing { easeIn, easeOut };

    virtual ~OverlayPanel() = default;

    // The window system's number for the panel, once it has one.
    virtual std::optional<std::uint32_t> windowNumber() const = 0;
    // Where the panel is, in the top-left global space.
    virtual RectD frame() const = 0;
    // Moves and sizes the panel at once, without animation.
    virtual void setFrame(const RectD& frame) = 0;
    // Puts the panel above every other window again.
    virtual void orderFront() = 0;
    // Jumps to `opacity` (0 … 1).
    virtual void setOpacity(double opacity) = 0;
    // Fades to `opacity` over `duration` and then calls `done`, which is not
    // called when the panel is destroyed first.
    virtual void animateOpacity(double opacity, Clock::Duration duration, Easing easing,
                                std::function<void()> done) = 0;
    // The parts of the panel that may be drawn on, in the panel's own
    // coordinates (origin at its top-left corner). A new panel draws on all
    // of itself.
    virtual void setVisibleRects(const std::vector<RectD>& rects) = 0;
};

// Makes overlay panels: the desktop's windows, or a recording double.
//
// Threads: main thread only. The caller owns what it returns.
class OverlaySurfaces {
  public:
    virtual ~OverlaySurfaces() = default;

    // A candidate marker over `frame`: a green rounded outline with `number`
    // in a badge at its top-left corner.
    virtual std::unique_ptr<OverlayPanel> marker(const RectD& frame, int number) = 0;
    // A glowing rim along the inside of `frame` in `accent`, with corners of
    // `cornerRadius`, drawn only within its visible rectangles.
    virtual std::unique_ptr<OverlayPanel> flash(const RectD& frame, Rgb accent,
                                                double cornerRadius) = 0;
    // Whether the desktop asks for less motion: then nothing fades.
    virtual bool motionReduced() = 0;
};

// The window numbers of this program's overlay panels while they are on
// screen, so that working out what covers a window leaves them out.
//
// Threads: main thread only.
class OverlayRegistry {
  public:
    void add(std::uint32_t number) { numbers_.insert(number); }
    void remove(std::uint32_t number) { numbers_.erase(number); }
    bool contains(std::uint32_t number) const { return numbers_.contains(number); }
    const std::set<std::uint32_t>& numbers() const { return numbers_; }

  private:
    std::set<std::uint32_t> numbers_;
};

}  // namespace orvale
