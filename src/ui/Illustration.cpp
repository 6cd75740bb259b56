#include "ui/Illustration.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

#include "ui/MotionPreference.h"

namespace orvale::ui {
namespace {

constexpr int kFrameMilliseconds = 33;
constexpr double kLoopMilliseconds = 4000;

// The illustrations are drawn on this canvas and scaled to the widget.
constexpr double kWidth = 160;
constexpr double kHeight = 96;

double clamp01(double value) {
    return std::clamp(value, 0.0, 1.0);
}

// Eases in and out over `from`..`to` of the loop: 0 before, 1 after.
double eased(double phase, double from, double to) {
    const double t = clamp01((phase - from) / (to - from));
    return t * t * (3 - 2 * t);
}

// Up over the first part of the loop, held, and back down before it ends, so
// that the loop joins without a jump.
double outAndBack(double phase) {
    return eased(phase, 0.05, 0.45) * (1 - eased(phase, 0.8, 0.98));
}

QRectF lerp(const QRectF& a, const QRectF& b, double t) {
    return {a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t,
            a.width() + (b.width() - a.width()) * t, a.height() + (b.height() - a.height()) * t};
}

struct Ink {
    QColor line;
    QColor accent;
    QColor fill;
};

// A window: its frame and a title strip.
void drawWindow(QPainter& painter, const QRectF& frame, const QColor& color, const QColor& fill) {
    painter.setPen(QPen(color, 1.5));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 3, 3);
    const double strip = std::min(7.0, frame.height() / 3);
    painter.drawLine(QPointF(frame.left(), frame.top() + strip),
                     QPointF(frame.right(), frame.top() + strip));
}

void drawWindows(QPainter& painter, const Ink& ink, double phase) {
    const QRectF screen(14, 6, 132, 84);
    painter.setPen(QPen(ink.line, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(screen, 5, 5);
    const std::array<QRectF, 4> scattered{QRectF(30, 40, 50, 30), QRectF(70, 16, 44, 26),
                                          QRectF(96, 52, 40, 30), QRectF(24, 14, 36, 24)};
    const std::array<QRectF, 4> grid{QRectF(20, 12, 58, 34), QRectF(82, 12, 58, 34),
                                     QRectF(20, 50, 58, 34), QRectF(82, 50, 58, 34)};
    const double t = outAndBack(phase);
    for (std::size_t index = 0; index < grid.size(); ++index) {
        // Each window follows a little after the one before.
        const double own = clamp01(t * 1.3 - 0.1 * double(index));
        drawWindow(painter, lerp(scattered[index], grid[index], own),
                   index == 0 ? ink.accent : ink.line, ink.fill);
    }
}

void drawKeyboard(QPainter& painter, const Ink& ink, double phase) {
    const double pressed = eased(phase, 0.25, 0.35) * (1 - eased(phase, 0.55, 0.65));
    painter.setBrush(Qt::NoBrush);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 6; ++column) {
            const QRectF key(22 + column * 20 + row * 8, 44 + row * 22, 16, 16);
            const bool isTheKey = row == 0 && column == 3;
            QRectF drawn = key;
            if (isTheKey) drawn.translate(0, 3 * pressed);
            painter.setPen(QPen(isTheKey ? ink.accent : ink.line, 1.5));
            QColor fill = ink.accent;
            fill.setAlphaF(isTheKey ? 0.35 * pressed : 0);
            painter.setBrush(fill);
            painter.drawRoundedRect(drawn, 3, 3);
        }
    }
    // The window the key brings back, lit while the key is down.
    QColor rim = ink.line;
    rim.setAlphaF(0.4 + 0.6 * pressed);
    drawWindow(painter, QRectF(56, 6, 48, 28), pressed > 0.5 ? ink.accent : rim, ink.fill);
}

void drawApplications(QPainter& painter, const Ink& ink, double phase) {
    const double aside = outAndBack(phase);
    drawWindow(painter, QRectF(14, 22, 40, 52), ink.line, ink.fill);
    drawWindow(painter, QRectF(106, 22, 40, 52), ink.line, ink.fill);
    QColor stepping = ink.accent;
    stepping.setAlphaF(1 - 0.55 * aside);
    QRectF middle(60, 22, 40, 52);
    middle.translate(0, 18 * aside);
    painter.save();
    QPen pen(stepping, 1.5);
    if (aside > 0.5) pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(ink.fill);
    painter.drawRoundedRect(middle, 3, 3);
    painter.restore();
}

void drawStorage(QPainter& painter, const Ink& ink, double phase) {
    // The drawer: a tray with a handle.
    const QRectF drawer(40, 58, 80, 30);
    painter.setPen(QPen(ink.line, 1.5));
    painter.setBrush(ink.fill);
    painter.drawRoundedRect(drawer, 3, 3);
    painter.drawLine(QPointF(72, 76), QPointF(88, 76));
    // Three layouts drop in one after the other.
    for (int index = 0; index < 3; ++index) {
        const double from = 0.08 + 0.22 * index;
        const double t = eased(phase, from, from + 0.2) * (1 - eased(phase, 0.9, 0.99));
        const QRectF above(28 + index * 36, 8, 32, 22);
        const QRectF inside(50 + index * 20, 60, 20, 6);
        if (t >= 1) {
            painter.setPen(QPen(index == 1 ? ink.accent : ink.line, 1.5));
            painter.drawLine(inside.bottomLeft(), inside.bottomRight());
            continue;
        }
        drawWindow(painter, lerp(above, inside, t), index == 1 ? ink.accent : ink.line, ink.fill);
    }
}

}  // namespace

Illustration::Illustration(Kind kind, QWidget* parent)
    : QWidget(parent), kind_(kind), still_(motionReduced()), timer_(this) {
    setAccessibleName(QString());
    timer_.setInterval(kFrameMilliseconds);
    connect(&timer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

QSize Illustration::sizeHint() const {
    return {160, 96};
}

double Illustration::phase() const {
    if (still_ || !clock_.isValid()) return 0.5;
    return std::fmod(double(clock_.elapsed()), kLoopMilliseconds) / kLoopMilliseconds;
}

void Illustration::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (still_) return;
    if (!clock_.isValid()) clock_.start();
    timer_.start();
}

void Illustration::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

void Illustration::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = std::min(width() / kWidth, height() / kHeight);
    painter.translate((width() - kWidth * scale) / 2, (height() - kHeight * scale) / 2);
    painter.scale(scale, scale);
    const QPalette& colors = palette();
    QColor line = colors.color(QPalette::WindowText);
    line.setAlphaF(0.7);
    QColor fill = colors.color(QPalette::Base);
    const Ink ink{line, colors.color(QPalette::Highlight), fill};
    const double now = phase();
    switch (kind_) {
        case Kind::windows:
            drawWindows(painter, ink, now);
            break;
        case Kind::keyboard:
            drawKeyboard(painter, ink, now);
            break;
        case Kind::applications:
            drawApplications(painter, ink, now);
            break;
        case Kind::storage:
            drawStorage(painter, ink, now);
            break;
    }
}

}  // namespace orvale::ui
