#include "ui/OverlayWindow.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "ui/OverlayGeometry.h"

namespace orvale::ui {
namespace {

const QColor kMarkerGreen(52, 199, 89);

// A rounded rectangle border of `width` drawn inside `bounds`.
void strokeBorder(QPainter& painter, const QRectF& bounds, double radius, double width,
                  const QColor& color) {
    const double half = width / 2;
    const QRectF path = bounds.adjusted(half, half, -half, -half);
    if (path.width() <= 0 || path.height() <= 0) return;
    const double r = std::max(0.0, radius - half);
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(path, r, r);
}

// A soft glow: the border drawn several times, from wide and faint to narrow,
// which reads as a blur of `blur` around a line of `width`.
void glow(QPainter& painter, const QRectF& bounds, double radius, double width, double opacity,
          double blur, QColor color) {
    constexpr int kSteps = 5;
    for (int step = 0; step < kSteps; ++step) {
        const double spread = blur * (1 - double(step) / kSteps);
        color.setAlphaF(float(opacity / kSteps));
        strokeBorder(painter, bounds, radius, width + spread, color);
    }
}

}  // namespace

OverlayWindow::OverlayWindow(const RectD& frame, const Look& look)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint),
      look_(look) {
    setObjectName(look.kind == Look::Kind::marker ? "candidate-marker" : "restored-window-flash");
    // Names the window for tools such as xwininfo; no window manager lists it.
    setWindowTitle(look.kind == Look::Kind::marker ? QString("candidate-marker %1").arg(look.number)
                                                   : objectName());
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    // Decoration only: nothing here for a screen reader.
    setAccessibleName({});
    if (look.composited) {
        setAttribute(Qt::WA_TranslucentBackground);
    } else {
        setAttribute(Qt::WA_NoSystemBackground);
    }
    const OverlayGeometry screens = OverlayGeometry::current();
    pixelRatio_ = screens.pixelRatioAt(frame);
    setGeometry(screens.toQt(frame));
    QObject::connect(&fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        opacity_ = value.toDouble();
        update();
    });
    reshape();
    show();
}

std::optional<std::uint32_t> OverlayWindow::windowNumber() const {
    return static_cast<std::uint32_t>(winId());
}

RectD OverlayWindow::frame() const {
    return OverlayGeometry::current().fromQt(geometry());
}

void OverlayWindow::setFrame(const RectD& frame) {
    const OverlayGeometry screens = OverlayGeometry::current();
    pixelRatio_ = screens.pixelRatioAt(frame);
    const QRect target = screens.toQt(frame);
    if (target == geometry()) return;
    const bool resized = target.size() != size();
    setGeometry(target);
    if (resized) reshape();
}

void OverlayWindow::orderFront() {
    raise();
}

void OverlayWindow::setOpacity(double opacity) {
    fade_.stop();
    opacity_ = opacity;
    update();
}

void OverlayWindow::animateOpacity(double opacity, Clock::Duration duration, Easing easing,
                                   std::function<void()> done) {
    fade_.stop();
    QObject::disconnect(&fade_, &QVariantAnimation::finished, nullptr, nullptr);
    fade_.setStartValue(opacity_);
    fade_.setEndValue(opacity);
    fade_.setDuration(int(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()));
    fade_.setEasingCurve(easing == Easing::easeIn ? QEasingCurve::InQuad : QEasingCurve::OutQuad);
    QObject::connect(&fade_, &QVariantAnimation::finished, this, [done = std::move(done)] {
        if (done) done();
    });
    fade_.start();
}

void OverlayWindow::setVisibleRects(const std::vector<RectD>& rects) {
    visible_ = rects;
    wholeVisible_ = false;
    reshape();
    update();
}

QImage OverlayWindow::render() const {
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter);
    return image;
}

void OverlayWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (look_.composited) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setOpacity(opacity_);
    }
    paint(painter);
}

void OverlayWindow::paint(QPainter& painter) const {
    // Unblended pixels where the window is shaped: each one is drawn or not.
    painter.setRenderHint(QPainter::Antialiasing, look_.composited);
    const QRectF bounds = QRectF(rect());
    if (look_.kind == Look::Kind::marker) {
        const QRectF outline = bounds.adjusted(3, 3, -3, -3);
        QColor line = kMarkerGreen;
        line.setAlphaF(look_.composited ? 0.92f : 1.0f);
        painter.setPen(QPen(line, 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(outline, 10, 10);
        const QRectF badge(outline.left() + 8, outline.top() + 8, 28, 28);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kMarkerGreen);
        painter.drawEllipse(badge);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(15);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(badge, Qt::AlignCenter, QString::number(look_.number));
        return;
    }
    if (!wholeVisible_) {
        QPainterPath visible;
        visible.setFillRule(Qt::WindingFill);
        // The rectangles are in X pixels; the painter works in Qt's units.
        for (const RectD& r : visible_) {
            const double k = 1 / pixelRatio_;
            visible.addRect(QRectF(r.x * k, r.y * k, r.width * k, r.height * k));
        }
        painter.setClipPath(visible);
    }
    const double radius = look_.cornerRadius;
    if (look_.composited) {
        glow(painter, bounds, radius, 64, 0.16, 36, look_.accent);
        glow(painter, bounds, radius, 26, 0.34, 14, look_.accent);
        glow(painter, bounds, radius, 10, 0.40, 5, look_.accent);
        strokeBorder(painter, bounds, radius, 2, look_.accent);
    } else {
        // Without translucency the glow would be a solid band: an outline
        // wide enough to see stands in for it.
        strokeBorder(painter, bounds, radius, 4, look_.accent);
    }
}

void OverlayWindow::reshape() {
    if (look_.composited) return;
    // The window keeps only the pixels it draws.
    const QImage drawn = render();
    setMask(QBitmap::fromImage(drawn.createAlphaMask(Qt::ThresholdAlphaDither)));
}

}  // namespace orvale::ui
