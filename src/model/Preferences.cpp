#include "model/Preferences.h"

#include <nlohmann/json.hpp>

namespace orvale {

std::optional<std::string> Preferences::text(std::string_view key) const {
    auto stored = store_.value(key);
    if (!stored) return std::nullopt;
    if (const auto* text = std::get_if<std::string>(&*stored)) return *text;
    return std::nullopt;
}

std::optional<Uuid> Preferences::selectedLayoutID() const {
    auto stored = text(Keys::selectedLayoutID);
    return stored ? Uuid::parse(*stored) : std::nullopt;
}

void Preferences::setSelectedLayoutID(const std::optional<Uuid>& id) {
    if (id) {
        store_.set(Keys::selectedLayoutID, id->text());
    } else {
        store_.remove(Keys::selectedLayoutID);
    }
}

bool Preferences::boolean(std::string_view key, bool fallback) const {
    auto stored = store_.value(key);
    const bool* value = stored ? std::get_if<bool>(&*stored) : nullptr;
    return value ? *value : fallback;
}

bool Preferences::automationEnabled() const {
    return boolean(Keys::automationEnabled, false);
}

void Preferences::setAutomationEnabled(bool enabled) {
    store_.set(Keys::automationEnabled, enabled);
}

bool Preferences::restoreFlashEnabled() const {
    return boolean(Keys::restoreFlashEnabled, true);
}

void Preferences::setRestoreFlashEnabled(bool enabled) {
    store_.set(Keys::restoreFlashEnabled, enabled);
}

HighlightColor Preferences::highlightColor() const {
    auto stored = text(Keys::highlightColor);
    auto color = stored ? highlightColorFromRawValue(*stored) : std::nullopt;
    return color.value_or(HighlightColor::blue);
}

void Preferences::setHighlightColor(HighlightColor color) {
    store_.set(Keys::highlightColor, std::string(rawValue(color)));
}

AppearancePreference Preferences::appearance() const {
    auto stored = text(Keys::appearance);
    auto appearance = stored ? appearanceFromRawValue(*stored) : std::nullopt;
    return appearance.value_or(AppearancePreference::system);
}

void Preferences::setAppearance(AppearancePreference appearance) {
    store_.set(Keys::appearance, std::string(rawValue(appearance)));
}

void Preferences::encodeShortcut(const std::optional<Shortcut>& shortcut, std::string_view key) {
    if (!shortcut) {
        store_.remove(key);
        return;
    }
    const nlohmann::json object = {{"keyCode", shortcut->keyCode},
                                   {"modifiers", shortcut->modifiers}};
    const std::string encoded = object.dump();
    store_.set(key, Bytes(encoded.begin(), encoded.end()));
}

std::optional<Shortcut> Preferences::decodeShortcut(std::string_view key) const {
    auto stored = store_.value(key);
    const Bytes* data = stored ? std::get_if<Bytes>(&*stored) : nullptr;
    if (!data) return std::nullopt;
    const nlohmann::json object = nlohmann::json::parse(data->begin(), data->end(), nullptr,
                                                        /*allow_exceptions=*/false);
    if (!object.is_object()) return std::nullopt;
    auto member = [&](const char* name) -> std::optional<std::uint32_t> {
        auto found = object.find(name);
        if (found == object.end() || !found->is_number_unsigned()) return std::nullopt;
        const auto value = found->get<std::uint64_t>();
        if (value > UINT32_MAX) return std::nullopt;
        return static_cast<std::uint32_t>(value);
    };
    auto keyCode = member("keyCode");
    auto modifiers = member("modifiers");
    if (!keyCode || !modifiers) return std::nullopt;
    return Shortcut{*keyCode, *modifiers};
}

void Preferences::reset() {
    for (std::string_view key :
         {Keys::selectedLayoutID, Keys::globalShortcut, Keys::automationEnabled,
          Keys::restoreFlashEnabled, Keys::highlightColor, Keys::appearance,
          Keys::didPromptForAccessibility}) {
        store_.remove(key);
    }
}

}  // namespace orvale
