#pragma once

#include <memory>

#include "app/AppModel.h"
#include "overlay/ScreenOverlays.h"
#include "ui/KeyLabelWatch.h"
#include "ui/MotionPreference.h"
#include "ui/QtKeyEvents.h"
#include "ui/QtOverlaySurfaces.h"
#include "ui/QtWindowPresenter.h"

namespace orvale::ui {

// The desktop interface of the running program: the tray item and its panel,
// the windows the model and the panel open, alerts for the model's errors and
// the appearance the user chose.
//
// Built in two steps, because the model needs the presenter before the
// interface can need the model: construct, hand presenter() to the model,
// then start() with it. The overlays work the same way.
//
// Threads: main thread only, with a QApplication alive for the object's whole
// life. The model must outlive the interface.
class DesktopInterface {
  public:
    DesktopInterface();
    ~DesktopInterface();
    DesktopInterface(const DesktopInterface&) = delete;
    DesktopInterface& operator=(const DesktopInterface&) = delete;

    WindowPresenter& presenter() { return presenter_; }
    KeyEvents& keyEvents() { return keys_; }
    // Where the model's overlays are drawn: windows on Qt's X display.
    OverlaySurfaces& overlaySurfaces() { return overlaySurfaces_; }

    // Shows the tray item (or the window that stands in for it) and follows
    // the model from now on. With ORVALE_OPEN_PANEL=1 in the environment the
    // panel opens at once, for runs that cannot click the tray icon.
    // "Show Markers" draws through `overlays`, and is unavailable without.
    // Shortcut labels are drawn again whenever `keyboardLayout` reports a
    // change. Both may be absent; both must outlive the interface.
    void start(AppModel& model, ScreenOverlays* overlays, KeyboardLayoutObserver* keyboardLayout);

  private:
    struct Views;
    // Before the presenter, so that the windows go first: a window that
    // records a shortcut watches the key events until it goes.
    QtKeyEvents keys_;
    QtWindowPresenter presenter_;
    QtOverlaySurfaces overlaySurfaces_{motionReduced};
    KeyLabelWatch keyLabels_;
    std::unique_ptr<Views> views_;
};

}  // namespace orvale::ui
