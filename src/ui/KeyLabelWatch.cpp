#include "ui/KeyLabelWatch.h"

namespace orvale::ui {

void KeyLabelWatch::follow(KeyboardLayoutObserver& observer) {
    observer.setObserver([this] { emit changed(); });
}

}  // namespace orvale::ui
