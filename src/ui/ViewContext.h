#pragma once

#include "app/AppModel.h"
#include "app/WindowPresenter.h"
#include "platform/KeyboardPorts.h"
#include "ui/KeyLabelWatch.h"

namespace orvale::ui {

// The windows the interface opens by itself, beside those the model names.
namespace InterfaceWindow {
inline constexpr std::string_view settings = "settings";
}  // namespace InterfaceWindow

// What every view of the desktop interface works with: the one model (all
// state and every operation), the presenter that opens the other windows and
// asks the user, the key events of the program's windows for recording
// shortcuts, and the word when shortcut labels must be drawn again.
//
// Threads: main thread only. Everything here is borrowed and outlives every
// view made with it.
struct ViewContext {
    AppModel& model;
    WindowPresenter& presenter;
    KeyEvents& keys;
    KeyLabelWatch& keyLabels;
};

}  // namespace orvale::ui
