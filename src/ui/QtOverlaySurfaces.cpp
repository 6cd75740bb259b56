#include "ui/QtOverlaySurfaces.h"

#include <QGuiApplication>

#include "platform/x11/Compositing.h"
#include "ui/OverlayWindow.h"

namespace orvale::ui {
namespace {

bool composited() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 && x11::compositingManagerRunning(x11->connection());
}

}  // namespace

QtOverlaySurfaces::QtOverlaySurfaces(std::function<bool()> motionReduced)
    : motionReduced_(std::move(motionReduced)) {}

std::unique_ptr<OverlayPanel> QtOverlaySurfaces::marker(const RectD& frame, int number) {
    return std::make_unique<OverlayWindow>(
        frame, OverlayWindow::Look{.kind = OverlayWindow::Look::Kind::marker,
                                   .number = number,
                                   .accent = {},
                                   .cornerRadius = 0,
                                   .composited = composited()});
}

std::unique_ptr<OverlayPanel> QtOverlaySurfaces::flash(const RectD& frame, Rgb accent,
                                                       double cornerRadius) {
    return std::make_unique<OverlayWindow>(
        frame, OverlayWindow::Look{.kind = OverlayWindow::Look::Kind::flash,
                                   .number = 0,
                                   .accent = QColor(accent.red, accent.green, accent.blue),
                                   .cornerRadius = cornerRadius,
                                   .composited = composited()});
}

}  // namespace orvale::ui
