#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/MainThread.h"
#include "platform/KeyboardPorts.h"

namespace orvale {

// Tells the interface that the keyboard layout changed, so that shortcut
// labels are drawn again: `revision` goes up by one on the main thread for
// each change, and the observer is called after it.
//
// Threads: main thread only, apart from the port's reports, which are handed
// to the main thread. Ownership: `translation` and `mainThread` are borrowed
// and must outlive this object; a report still on its way to the main thread
// when it is destroyed is dropped.
class KeyboardLayoutObserver {
  public:
    KeyboardLayoutObserver(KeyTranslation& translation, MainThread& mainThread);
    ~KeyboardLayoutObserver();
    KeyboardLayoutObserver(const KeyboardLayoutObserver&) = delete;
    KeyboardLayoutObserver& operator=(const KeyboardLayoutObserver&) = delete;

    std::uint64_t revision() const { return revision_; }
    void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

  private:
    std::uint64_t revision_ = 0;
    std::function<void()> observer_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::unique_ptr<KeyboardSubscription> changes_;
};

}  // namespace orvale
