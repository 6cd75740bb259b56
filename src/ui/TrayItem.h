#pragma once

#include <QElapsedTimer>
#include <QMenu>
#include <QSystemTrayIcon>
#include <memory>
#include <ostream>

#include "ui/PanelView.h"
#include "ui/ViewContext.h"

namespace orvale::ui {

// The program's place on the desktop: a tray icon (a StatusNotifierItem when
// the desktop has a watcher for them, an XEmbed icon otherwise) whose click
// opens the panel beside it and whose menu opens the panel or quits. When no
// tray is running, a small ordinary window titled "Orvale" hosts the panel
// instead, and `diagnostics` is told why, once.
//
// Threads: main thread only, with a QApplication alive. The context outlives
// the item.
class TrayItem final : public QObject {
  public:
    TrayItem(const ViewContext& context, std::ostream& diagnostics);
    ~TrayItem() override;

    // Shows the panel (or its window) in front.
    void openPanel();
    // Shows the panel when hidden, hides it when shown.
    void togglePanel();

    PanelView& panel() { return *panel_; }
    // The window the panel lives in: the panel itself beside a tray icon,
    // else the window standing in for the tray.
    QWidget& panelWindow() { return *window_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::unique_ptr<QWidget> host_;
    PanelView* panel_;
    QWidget* window_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    QMenu menu_;
    // When the panel last hid itself on losing the focus: a click on the
    // icon takes the focus first, and must then not open it again.
    QElapsedTimer hiddenOnDeactivation_;
};

// The program's icon: the theme's "org.orvale.Orvale" icon (installed with
// the program), else one drawn in the palette's tones.
QIcon programIcon();

}  // namespace orvale::ui
