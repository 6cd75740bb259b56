#pragma once

#include <QObject>

#include "shortcuts/KeyboardLayoutObserver.h"

namespace orvale::ui {

// Tells the views that shortcut labels read differently: the keyboard layout
// changed, so a key may now print as another character. Views that show a
// shortcut draw it again on `changed`.
//
// Threads: main thread only.
class KeyLabelWatch final : public QObject {
    Q_OBJECT

  public:
    // Emits `changed` after each change `observer` reports from now on; the
    // observer must outlive this object, which takes over its callback.
    void follow(KeyboardLayoutObserver& observer);

  signals:
    void changed();
};

}  // namespace orvale::ui
