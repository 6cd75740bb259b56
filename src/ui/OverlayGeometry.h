#pragma once

#include <QRect>
#include <vector>

#include "model/Geometry.h"

namespace orvale::ui {

// One screen as Qt places it: its geometry in Qt's device-independent
// coordinates and its device pixel ratio. Qt keeps each screen's top-left
// corner at its position in X pixels and scales only within the screen.
struct ScreenSpace {
    QRect logical;
    double pixelRatio = 1;
};

// Converts between the global space (X pixels, origin at the primary
// screen's top-left corner) and the coordinates Qt places windows in.
class OverlayGeometry {
  public:
    // `screens` with the primary one first; none behaves as one screen at the
    // origin with a ratio of 1.
    explicit OverlayGeometry(std::vector<ScreenSpace> screens);
    // The screens of the running QGuiApplication.
    static OverlayGeometry current();

    // Where a window over `frame` goes in Qt's coordinates, and its pixel
    // ratio: those of the screen holding the frame's top-left corner (the
    // primary one when none does).
    QRect toQt(const RectD& frame) const;
    double pixelRatioAt(const RectD& frame) const;
    // The frame, in the global space, of a window Qt has at `geometry`.
    RectD fromQt(const QRect& geometry) const;

  private:
    const ScreenSpace& screenForNative(double x, double y) const;
    const ScreenSpace& screenForLogical(const QPoint& point) const;

    std::vector<ScreenSpace> screens_;
};

}  // namespace orvale::ui
