#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "model/ShortcutFormatter.h"
#include "platform/KeyboardPorts.h"

namespace orvale {

// What keys print as on the user's keyboard layout, for shortcut labels:
// the key's text with no modifier held (see printableKeyLabel), or nothing,
// in which case the label falls back to the key's fixed name. Answers are
// kept until the layout changes, absent ones included.
//
// Threads: `name` may be called from any thread. The translation runs outside
// the lock, so two threads may translate one key at once; the later answer is
// kept. The cache is emptied on the thread that reports the layout change.
//
// Ownership: `translation` is borrowed and must outlive this object, which
// stops listening to it when destroyed.
class KeyboardLayoutLabels final : public KeyLabelSource {
  public:
    explicit KeyboardLayoutLabels(KeyTranslation& translation);
    ~KeyboardLayoutLabels() override;
    KeyboardLayoutLabels(const KeyboardLayoutLabels&) = delete;
    KeyboardLayoutLabels& operator=(const KeyboardLayoutLabels&) = delete;

    std::optional<std::string> name(std::uint32_t keyCode) const override;

  private:
    KeyTranslation& translation_;
    mutable std::mutex mutex_;
    mutable std::map<std::uint32_t, std::optional<std::string>> cache_;
    std::unique_ptr<KeyboardSubscription> changes_;
};

}  // namespace orvale
