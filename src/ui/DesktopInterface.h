#pragma once

#include <memory>

#include "app/AppModel.h"
#include "ui/QtKeyEvents.h"
#include "ui/QtWindowPresenter.h"

namespace orvale::ui {

// The desktop interface of the running program: the tray item and its panel,
// the windows the model and the panel open, alerts for the model's errors and
// the appearance the user chose.
//
// Built in two steps, because the model needs the presenter before the
// interface can need the model: construct, hand presenter() to the model,
// then start() with it.
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

    // Shows the tray item (or the window that stands in for it) and follows
    // the model from now on. With ORVALE_OPEN_PANEL=1 in the environment the
    // panel opens at once, for runs that cannot click the tray icon.
    void start(AppModel& model);

  private:
    struct Views;
    // Before the presenter, so that the windows go first: a window that
    // records a shortcut watches the key events until it goes.
    QtKeyEvents keys_;
    QtWindowPresenter presenter_;
    std::unique_ptr<Views> views_;
};

}  // namespace orvale::ui
