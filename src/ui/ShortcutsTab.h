#pragma once

#include <QWidget>
#include <memory>

#include "ui/ViewContext.h"

namespace orvale::ui {

// The settings' Shortcuts tab: the global shortcut and one recorder per
// layout, following the model.
std::unique_ptr<QWidget> makeShortcutsTab(const ViewContext& context);

}  // namespace orvale::ui
