#include "ui/TrayItem.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace orvale::ui {
namespace {

// How soon after the panel hid on losing the focus a click on the icon is
// taken as the click that took the focus.
constexpr qint64 kFocusClickMilliseconds = 300;

}  // namespace

QIcon programIcon() {
    QIcon themed = QIcon::fromTheme("org.orvale.Orvale");
    if (!themed.isNull()) return themed;
    // Two windows, one in front of the other.
    const QPalette palette = QApplication::palette();
    QIcon drawn;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 16.0;
        QPen pen(palette.color(QPalette::WindowText), std::max<qreal>(1, unit));
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(1 * unit, 2 * unit, 9 * unit, 7 * unit), unit, unit);
        painter.setBrush(palette.color(QPalette::Highlight));
        painter.drawRoundedRect(QRectF(6 * unit, 7 * unit, 9 * unit, 7 * unit), unit, unit);
        drawn.addPixmap(pixmap);
    }
    return drawn;
}

TrayItem::TrayItem(const ViewContext& context, std::ostream& diagnostics) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        auto panel = std::make_unique<PanelView>(context);
        panel->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        panel->setWindowTitle("Orvale");
        panel->installEventFilter(this);
        panel_ = panel.get();
        host_ = std::move(panel);
    } else {
        diagnostics << "orvale: no system tray is running, so Orvale opens in a window instead.\n"
                    << std::flush;
        host_ = std::make_unique<QWidget>();
        host_->setObjectName("orvale-window");
        host_->setWindowTitle("Orvale");
        auto* column = new QVBoxLayout(host_.get());
        column->setContentsMargins(0, 0, 0, 0);
        column->setSizeConstraint(QLayout::SetFixedSize);
        panel_ = new PanelView(context, host_.get());
        column->addWidget(panel_);
        host_->installEventFilter(this);
    }
    window_ = host_.get();
    window_->setWindowIcon(programIcon());

    menu_.addAction("Open Orvale", this, [this] { openPanel(); });
    menu_.addAction("Quit Orvale", qApp, &QApplication::quit);
    if (window_ == panel_) {
        icon_ = std::make_unique<QSystemTrayIcon>(programIcon());
        icon_->setToolTip("Orvale");
        icon_->setContextMenu(&menu_);
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated, this,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger) togglePanel();
                         });
        icon_->show();
    } else {
        window_->show();
    }
}

TrayItem::~TrayItem() = default;

void TrayItem::openPanel() {
    if (icon_) {
        window_->adjustSize();
        QScreen* screen = QGuiApplication::screenAt(icon_->geometry().center());
        if (!screen) screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen) screen = QGuiApplication::primaryScreen();
        if (screen) {
            window_->move(panel::placement(icon_->geometry(), QCursor::pos(), window_->size(),
                                           screen->availableGeometry()));
        }
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void TrayItem::togglePanel() {
    if (window_->isVisible()) {
        window_->hide();
        // Hiding it took its focus away too, which is not the focus going
        // to the icon: a click at once after this one opens it again.
        hiddenOnDeactivation_.invalidate();
    } else if (hiddenOnDeactivation_.isValid() &&
               hiddenOnDeactivation_.elapsed() < kFocusClickMilliseconds) {
        hiddenOnDeactivation_.invalidate();
    } else {
        openPanel();
    }
}

bool TrayItem::eventFilter(QObject* watched, QEvent* event) {
    // Without a tray the window is the only way back to the panel: closing
    // it only sets it aside, and the hot keys and the automation go on.
    if (watched == host_.get() && watched != panel_ && event->type() == QEvent::Close) {
        event->ignore();
        host_->showMinimized();
        return true;
    }
    // A popover goes away when the user turns to another window.
    if (watched == panel_ && event->type() == QEvent::WindowDeactivate && panel_->isVisible()) {
        panel_->hide();
        hiddenOnDeactivation_.start();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace orvale::ui
