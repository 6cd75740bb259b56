#include "ui/OverlayGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace orvale::ui {
namespace {

QRectF nativeArea(const ScreenSpace& screen) {
    const QRect& r = screen.logical;
    return {double(r.x()), double(r.y()), r.width() * screen.pixelRatio,
            r.height() * screen.pixelRatio};
}

int rounded(double value) {
    return int(std::lround(value));
}

}  // namespace

OverlayGeometry::OverlayGeometry(std::vector<ScreenSpace> screens) : screens_(std::move(screens)) {
    if (screens_.empty()) screens_.push_back({});
}

OverlayGeometry OverlayGeometry::current() {
    std::vector<ScreenSpace> screens;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) screens.push_back({primary->geometry(), primary->devicePixelRatio()});
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) screens.push_back({screen->geometry(), screen->devicePixelRatio()});
    }
    return OverlayGeometry(std::move(screens));
}

const ScreenSpace& OverlayGeometry::screenForNative(double x, double y) const {
    for (const ScreenSpace& screen : screens_) {
        if (nativeArea(screen).contains(x, y)) return screen;
    }
    return screens_.front();
}

const ScreenSpace& OverlayGeometry::screenForLogical(const QPoint& point) const {
    for (const ScreenSpace& screen : screens_) {
        if (screen.logical.contains(point)) return screen;
    }
    return screens_.front();
}

QRect OverlayGeometry::toQt(const RectD& frame) const {
    const QPoint origin = screens_.front().logical.topLeft();
    const double x = frame.x + origin.x();
    const double y = frame.y + origin.y();
    const ScreenSpace& screen = screenForNative(x, y);
    const QPoint corner = screen.logical.topLeft();
    const double ratio = screen.pixelRatio;
    return QRect(corner.x() + rounded((x - corner.x()) / ratio),
                 corner.y() + rounded((y - corner.y()) / ratio),
                 std::max(1, rounded(frame.width / ratio)),
                 std::max(1, rounded(frame.height / ratio)));
}

double OverlayGeometry::pixelRatioAt(const RectD& frame) const {
    const QPoint origin = screens_.front().logical.topLeft();
    return screenForNative(frame.x + origin.x(), frame.y + origin.y()).pixelRatio;
}

RectD OverlayGeometry::fromQt(const QRect& geometry) const {
    const QPoint origin = screens_.front().logical.topLeft();
    const ScreenSpace& screen = screenForLogical(geometry.topLeft());
    const QPoint corner = screen.logical.topLeft();
    const double ratio = screen.pixelRatio;
    return {corner.x() + (geometry.x() - corner.x()) * ratio - origin.x(),
            corner.y() + (geometry.y() - corner.y()) * ratio - origin.y(), geometry.width() * ratio,
            geometry.height() * ratio};
}

}  // namespace orvale::ui
