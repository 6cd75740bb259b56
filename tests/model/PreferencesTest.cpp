#include "model/Preferences.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvale {
namespace {

using Keys = Preferences::Keys;

Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

class PreferencesTest : public ::testing::Test {
  protected:
    void expectDefaults() {
        EXPECT_FALSE(preferences.selectedLayoutID());
        EXPECT_FALSE(preferences.automationEnabled());
        EXPECT_TRUE(preferences.restoreFlashEnabled());
        EXPECT_EQ(preferences.highlightColor(), HighlightColor::blue);
        EXPECT_EQ(preferences.appearance(), AppearancePreference::system);
        EXPECT_FALSE(preferences.globalShortcut());
    }

    MemoryDefaultsStore store;
    Preferences preferences{store};
};

TEST_F(PreferencesTest, MissingOrWronglyShapedValuesReadAsDefaults) {
    expectDefaults();
    store.set(Keys::selectedLayoutID, std::string("not a uuid"));
    store.set(Keys::automationEnabled, std::string("true"));
    store.set(Keys::restoreFlashEnabled, std::string("false"));
    store.set(Keys::highlightColor, std::string("Purple"));
    store.set(Keys::appearance, std::string("dim"));
    store.set(Keys::globalShortcut, std::string("{\"keyCode\":1,\"modifiers\":256}"));
    expectDefaults();
    store.set(Keys::highlightColor, true);
    store.set(Keys::selectedLayoutID, bytes("0F8FAD5B-D9CB-469F-A165-70867728950E"));
    expectDefaults();
}

TEST_F(PreferencesTest, ValuesAreStoredInTheirLastingForms) {
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
    // Forms other programs and older versions rely on.
    EXPECT_EQ(std::get<std::string>(*store.value(Keys::selectedLayoutID)), id.text());
    EXPECT_EQ(std::get<std::string>(*store.value(Keys::highlightColor)), "graphite");
    EXPECT_EQ(std::get<std::string>(*store.value(Keys::appearance)), "dark");
    EXPECT_EQ(std::get<Bytes>(*store.value(Keys::globalShortcut)),
              bytes("{\"keyCode\":40,\"modifiers\":2304}"));

    preferences.setSelectedLayoutID(std::nullopt);
    preferences.setGlobalShortcut(std::nullopt);
    EXPECT_FALSE(store.value(Keys::selectedLayoutID));
    EXPECT_FALSE(store.value(Keys::globalShortcut));
}

TEST_F(PreferencesTest, ShortcutDecodingWantsTwoUnsigned32BitMembersAndNoMore) {
    const std::vector<std::string> malformed = {"not json",
                                                "[8, 256]",
                                                "{\"keyCode\": 8}",
                                                "{\"keyCode\": \"8\", \"modifiers\": 256}",
                                                "{\"keyCode\": -1, \"modifiers\": 256}",
                                                "{\"keyCode\": 8.5, \"modifiers\": 256}",
                                                "{\"keyCode\": 4294967296, \"modifiers\": 256}"};
    for (const std::string& data : malformed) {
        store.set("shortcut", bytes(data));
        EXPECT_FALSE(preferences.decodeShortcut("shortcut")) << data;
    }
    // No range check and no complaint about other members.
    store.set("shortcut", bytes("{\"keyCode\": 70000, \"modifiers\": 1, \"extra\": true}"));
    EXPECT_EQ(preferences.decodeShortcut("shortcut"), (Shortcut{70000, 1}));
}

}  // namespace
}  // namespace orvale
