#include "shortcuts/KeyboardLayoutLabels.h"

#include "shortcuts/KeyText.h"

namespace orvale {

KeyboardLayoutLabels::KeyboardLayoutLabels(KeyTranslation& translation)
    : translation_(translation) {
    changes_ = translation_.subscribeLayoutChanges([this] {
        std::lock_guard lock(mutex_);
        cache_.clear();
    });
}

KeyboardLayoutLabels::~KeyboardLayoutLabels() {
    changes_.reset();
}

std::optional<std::string> KeyboardLayoutLabels::name(std::uint32_t keyCode) const {
    {
        std::lock_guard lock(mutex_);
        if (const auto found = cache_.find(keyCode); found != cache_.end()) return found->second;
    }
    std::optional<std::string> label;
    if (keyCode <= 65535) {
        if (const std::optional<std::string> text = translation_.text(keyCode)) {
            label = printableKeyLabel(*text);
        }
    }
    std::lock_guard lock(mutex_);
    cache_[keyCode] = label;
    return label;
}

}  // namespace orvale
