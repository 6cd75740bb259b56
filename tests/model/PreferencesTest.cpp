#include "model/Preferences.h"

#include <gtest/gtest.h>

namespace orvale {
namespace {

using Keys = Preferences::Keys;

Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

class PreferencesTest : public ::testing::Test {
  protected:
    MemoryDefaultsStore store;
    Preferences preferences{store};
};

TEST_F(PreferencesTest, EmptyStoreReadsDefaults) {
    EXPECT_FALSE(preferences.selectedLayoutID());
    EXPECT_FALSE(preferences.automationEnabled());
    EXPECT_TRUE(preferences.restoreFlashEnabled());
    EXPECT_EQ(preferences.highlightColor(), HighlightColor::blue);
    EXPECT_EQ(preferences.appearance(), AppearancePreference::system);
    EXPECT_FALSE(preferences.globalShortcut());
}

TEST_F(PreferencesTest, ValuesOfTheWrongShapeReadAsDefaults) {
    store.set(Keys::selectedLayoutID, std::string("not a uuid"));
    store.set(Keys::automationEnabled, std::string("true"));
    store.set(Keys::restoreFlashEnabled, std::string("false"));
    store.set(Keys::highlightColor, std::string("Purple"));
    store.set(Keys::appearance, std::string("dim"));
    store.set(Keys::globalShortcut, std::string("{\"keyCode\":1,\"modifiers\":256}"));
    EXPECT_FALSE(preferences.selectedLayoutID());
    EXPECT_FALSE(preferences.automationEnabled());
    EXPECT_TRUE(preferences.restoreFlashEnabled());
    EXPECT_EQ(preferences.highlightColor(), HighlightColor::blue);
    EXPECT_EQ(preferences.appearance(), AppearancePreference::system);
    EXPECT_FALSE(preferences.globalShortcut());

    store.set(Keys::highlightColor, true);
    store.set(Keys::selectedLayoutID, bytes("0F8FAD5B-D9CB-469F-A165-70867728950E"));
    EXPECT_EQ(preferences.highlightColor(), HighlightColor::blue);
    EXPECT_FALSE(preferences.selectedLayoutID());
}

TEST_F(PreferencesTest, WrittenValuesReadBack) {
    const Uuid id = Uuid::generate();
    preferences.setSelectedLayoutID(id);
    preferences.setAutomationEnabled(true);
    preferences.setRestoreFlashEnabled(false);
    preferences.setHighlightColor(HighlightColor::graphite);
    preferences.setAppearance(AppearancePreference::dark);
    preferences.setGlobalShortcut(Shortcut{40, Modifier::command | Modifier::option});
    EXPECT_EQ(preferences.selectedLayoutID(), id);
    EXPECT_TRUE(preferences.automationEnabled());
    EXPECT_FALSE(preferences.restoreFlashEnabled());
    EXPECT_EQ(preferences.highlightColor(), HighlightColor::graphite);
    EXPECT_EQ(preferences.appearance(), AppearancePreference::dark);
    EXPECT_EQ(preferences.globalShortcut(), (Shortcut{40, 2304}));
    // Stored forms other programs and older versions rely on.
    EXPECT_EQ(std::get<std::string>(*store.value(Keys::selectedLayoutID)), id.text());
    EXPECT_EQ(std::get<std::string>(*store.value(Keys::highlightColor)), "graphite");
    EXPECT_EQ(std::get<std::string>(*store.value(Keys::appearance)), "dark");
}

TEST_F(PreferencesTest, SelectedLayoutAcceptsLowerCaseAndClearingRemovesTheKey) {
    store.set(Keys::selectedLayoutID, std::string("0f8fad5b-d9cb-469f-a165-70867728950e"));
    ASSERT_TRUE(preferences.selectedLayoutID());
    EXPECT_EQ(preferences.selectedLayoutID()->text(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    preferences.setSelectedLayoutID(std::nullopt);
    EXPECT_FALSE(store.value(Keys::selectedLayoutID));
}

TEST_F(PreferencesTest, ShortcutDecodingRejectsMalformedData) {
    const std::vector<std::string> malformed = {
        "",
        "not json",
        "[8, 256]",
        "{\"keyCode\": 8}",
        "{\"modifiers\": 256}",
        "{\"keyCode\": \"8\", \"modifiers\": 256}",
        "{\"keyCode\": -1, \"modifiers\": 256}",
        "{\"keyCode\": 8.5, \"modifiers\": 256}",
        "{\"keyCode\": 4294967296, \"modifiers\": 256}",
        "{\"keyCode\": 8, \"modifiers\": 256",
        std::string("\xFF\xFE\x00", 3),
    };
    for (const std::string& data : malformed) {
        store.set("shortcut", bytes(data));
        EXPECT_FALSE(preferences.decodeShortcut("shortcut")) << data;
    }
}

TEST_F(PreferencesTest, ShortcutDecodingMakesNoRangeCheck) {
    store.set("shortcut", bytes("{\"keyCode\": 70000, \"modifiers\": 1, \"extra\": true}"));
    EXPECT_EQ(preferences.decodeShortcut("shortcut"), (Shortcut{70000, 1}));
    preferences.encodeShortcut(Shortcut{8, 256}, "shortcut");
    EXPECT_EQ(preferences.decodeShortcut("shortcut"), (Shortcut{8, 256}));
    preferences.encodeShortcut(std::nullopt, "shortcut");
    EXPECT_FALSE(store.value("shortcut"));
}

// Records the order of removals to check reset().
class RecordingStore : public MemoryDefaultsStore {
  public:
    void remove(std::string_view key) override {
        removed.emplace_back(key);
        MemoryDefaultsStore::remove(key);
    }
    std::vector<std::string> removed;
};

TEST(PreferencesResetTest, RemovesExactlyItsKeysInOrder) {
    RecordingStore store;
    Preferences preferences(store);
    preferences.setSelectedLayoutID(Uuid::generate());
    preferences.setAutomationEnabled(true);
    preferences.setRestoreFlashEnabled(false);
    preferences.setHighlightColor(HighlightColor::red);
    preferences.setAppearance(AppearancePreference::light);
    preferences.setGlobalShortcut(Shortcut{1, 4096});
    store.set(Keys::didPromptForAccessibility, true);
    store.set("someOtherKey", std::string("kept"));
    store.removed.clear();

    preferences.reset();

    EXPECT_EQ(store.removed,
              (std::vector<std::string>{"selectedLayoutID", "globalShortcut", "automationEnabled",
                                        "restoreFlashEnabled", "highlightColor", "appearance",
                                        "didPromptForAccessibility"}));
    for (const std::string& key : store.removed) EXPECT_FALSE(store.value(key)) << key;
    EXPECT_EQ(std::get<std::string>(*store.value("someOtherKey")), "kept");
    EXPECT_TRUE(preferences.restoreFlashEnabled());
    EXPECT_EQ(preferences.highlightColor(), HighlightColor::blue);
}

TEST(HighlightColorTest, RawValuesAndLabelsRoundTrip) {
    EXPECT_EQ(kHighlightColors.front(), HighlightColor::blue);
    EXPECT_EQ(kHighlightColors.back(), HighlightColor::graphite);
    for (HighlightColor color : kHighlightColors) {
        EXPECT_EQ(highlightColorFromRawValue(rawValue(color)), color);
        std::string expected(rawValue(color));
        expected[0] = static_cast<char>(expected[0] - 'a' + 'A');
        EXPECT_EQ(label(color), expected);
    }
    EXPECT_FALSE(highlightColorFromRawValue("gray"));
    for (AppearancePreference appearance : kAppearancePreferences) {
        EXPECT_EQ(appearanceFromRawValue(rawValue(appearance)), appearance);
    }
}

}  // namespace
}  // namespace orvale
