#pragma once

#include <QDialog>

#include "ui/ViewContext.h"

namespace orvale::ui {

// The settings window ("settings-window"): General, Shortcuts, Applications,
// Storage and About, each reading the model afresh as it changes and acting
// only through it.
//
// Escape closes it through the presenter, as the window InterfaceWindow::
// settings names.
//
// Threads: main thread only. The context outlives the window.
class SettingsView final : public QDialog {
  public:
    explicit SettingsView(const ViewContext& context);

  protected:
    void reject() override;

  private:
    WindowPresenter& presenter_;
};

}  // namespace orvale::ui
