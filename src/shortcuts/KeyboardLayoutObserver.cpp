#include "shortcuts/KeyboardLayoutObserver.h"

namespace orvale {

KeyboardLayoutObserver::KeyboardLayoutObserver(KeyTranslation& translation,
                                               MainThread& mainThread) {
    changes_ = translation.subscribeLayoutChanges([this, &mainThread, alive = alive_] {
        mainThread.post([this, alive] {
            if (!*alive) return;
            ++revision_;
            if (observer_) observer_();
        });
    });
}

KeyboardLayoutObserver::~KeyboardLayoutObserver() {
    changes_.reset();
    *alive_ = false;
}

}  // namespace orvale
