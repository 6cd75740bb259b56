#pragma once

#include <functional>

#include "overlay/OverlayPanels.h"

namespace orvale::ui {

// Overlay panels as OverlayWindows on the X display Qt uses. Each panel is
// translucent when a compositing manager runs at the time it is made, and
// shaped otherwise.
//
// Threads: main thread only, with a QApplication alive.
class QtOverlaySurfaces final : public OverlaySurfaces {
  public:
    // `motionReduced` answers whether the desktop asks for less motion.
    explicit QtOverlaySurfaces(std::function<bool()> motionReduced);

    std::unique_ptr<OverlayPanel> marker(const RectD& frame, int number) override;
    std::unique_ptr<OverlayPanel> flash(const RectD& frame, Rgb accent,
                                        double cornerRadius) override;
    bool motionReduced() override { return motionReduced_(); }

  private:
    std::function<bool()> motionReduced_;
};

}  // namespace orvale::ui
