#pragma once

#include <QPalette>

#include "model/AppearancePreference.h"

namespace orvale::ui {

// The palette every window of the program uses for `appearance`: the
// desktop's own for `system`, else a light or a dark one.
QPalette paletteFor(AppearancePreference appearance, const QPalette& desktop);

// Gives the whole application the palette of `appearance`. The desktop's
// palette is the one the application had on the first call.
//
// Threads: main thread only, with a QApplication alive.
void applyAppearance(AppearancePreference appearance);

}  // namespace orvale::ui
