#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "model/DisplaySnapshot.h"
#include "model/WindowEntry.h"

namespace orvale::ui {

// The theme's icon of the application with this desktop id (the entry's
// bundle id), else the generic one for programs.
QIcon applicationIcon(const std::string& bundleID);

// One saved or captured window as the editors list it: the application's
// icon, the entry's label, beneath it the display it belongs to among
// `displays` and its relative size, and a remove button (accessible name
// "Remove " and the label, `removeHelp` as its tool tip) that calls
// `remove`. The row has no parent; the caller puts it in a layout.
QWidget* windowEntryRow(const WindowEntry& entry, const std::vector<DisplaySnapshot>& displays,
                        const QString& removeHelp, std::function<void()> remove);

}  // namespace orvale::ui
