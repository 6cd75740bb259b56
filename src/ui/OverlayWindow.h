#pragma once

#include <QColor>
#include <QVariantAnimation>
#include <QWidget>
#include <vector>

#include "overlay/OverlayPanels.h"

namespace orvale::ui {

// One overlay over another application's window, as an X11 window the window
// manager never sees (override-redirect): not decorated, not listed, never
// focused, kept on top by raising it. Input passes through it (an empty input
// shape). With a compositing manager it is translucent and fades; without one
// it is shaped to what it draws, which is drawn opaque.
//
// Threads: main thread only, with a QApplication alive.
class OverlayWindow final : public QWidget, public OverlayPanel {
  public:
    struct Look {
        enum class Kind { marker, flash } kind = Kind::marker;
        int number = 0;           // the marker's badge
        QColor accent;            // the flash's rim
        double cornerRadius = 0;  // the flash's corners
        bool composited = false;
    };

    // Shows the window at `frame` (top-left global space) at once.
    OverlayWindow(const RectD& frame, const Look& look);

    std::optional<std::uint32_t> windowNumber() const override;
    RectD frame() const override;
    void setFrame(const RectD& frame) override;
    void orderFront() override;
    void setOpacity(double opacity) override;
    void animateOpacity(double opacity, Clock::Duration duration, Easing easing,
                        std::function<void()> done) override;
    void setVisibleRects(const std::vector<RectD>& rects) override;

    // What the window shows, drawn into an image of its size (transparent
    // where nothing is drawn, before the window's opacity).
    QImage render() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paint(QPainter& painter) const;
    void reshape();

    Look look_;
    std::vector<RectD> visible_;
    // X pixels per Qt unit on the window's screen.
    double pixelRatio_ = 1;
    bool wholeVisible_ = true;
    double opacity_ = 1;
    QVariantAnimation fade_;
};

}  // namespace orvale::ui
