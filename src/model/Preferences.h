#pragma once

#include <optional>
#include <string_view>

#include "model/AppearancePreference.h"
#include "model/DefaultsStore.h"
#include "model/HighlightColor.h"
#include "model/Shortcut.h"
#include "model/Uuid.h"

namespace orvale {

// The user's choices that live outside the database. Every read falls back to
// the default when the key is missing or holds something unreadable, so a
// damaged store never stops the program.
class Preferences {
  public:
    struct Keys {
        static constexpr std::string_view selectedLayoutID = "selectedLayoutID";
        static constexpr std::string_view automationEnabled = "automationEnabled";
        static constexpr std::string_view restoreFlashEnabled = "restoreFlashEnabled";
        static constexpr std::string_view highlightColor = "highlightColor";
        static constexpr std::string_view globalShortcut = "globalShortcut";
        static constexpr std::string_view appearance = "appearance";
        static constexpr std::string_view didPromptForAccessibility = "didPromptForAccessibility";
    };

    explicit Preferences(DefaultsStore& store) : store_(store) {}

    std::optional<Uuid> selectedLayoutID() const;
    void setSelectedLayoutID(const std::optional<Uuid>& id);

    bool automationEnabled() const;
    void setAutomationEnabled(bool enabled);

    bool restoreFlashEnabled() const;
    void setRestoreFlashEnabled(bool enabled);

    HighlightColor highlightColor() const;
    void setHighlightColor(HighlightColor color);

    AppearancePreference appearance() const;
    void setAppearance(AppearancePreference appearance);

    std::optional<Shortcut> globalShortcut() const { return decodeShortcut(Keys::globalShortcut); }
    void setGlobalShortcut(const std::optional<Shortcut>& shortcut) {
        encodeShortcut(shortcut, Keys::globalShortcut);
    }

    // A shortcut as the bytes of a JSON object {"keyCode": …, "modifiers": …};
    // no shortcut removes the key. Decoding makes no range check.
    void encodeShortcut(const std::optional<Shortcut>& shortcut, std::string_view key);
    std::optional<Shortcut> decodeShortcut(std::string_view key) const;

    // Removes every preference above, returning each to its default; other keys
    // in the store are left alone.
    void reset();

  private:
    // The value under `key` when it has that type; nothing or `fallback` otherwise.
    std::optional<std::string> text(std::string_view key) const;
    bool boolean(std::string_view key, bool fallback) const;

    DefaultsStore& store_;
};

}  // namespace orvale
