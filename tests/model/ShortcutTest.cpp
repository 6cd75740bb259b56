#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "model/ReservedShortcuts.h"
#include "model/ShortcutFormatter.h"
#include "support/LinuxModifiers.h"

namespace orvale {
namespace {

using namespace testing;  // the modifiers' Linux names

// A keyboard layout that prints some keys differently.
struct FakeLayout : KeyLabelSource {
    explicit FakeLayout(std::map<std::uint32_t, std::string> labels) : names(std::move(labels)) {}
    std::optional<std::string> name(std::uint32_t keyCode) const override {
        const auto found = names.find(keyCode);
        return found == names.end() ? std::nullopt : std::optional(found->second);
    }
    std::map<std::uint32_t, std::string> names;
};

TEST(ReservedShortcutTest, NamesTheDesktopCommandWhenTheModifiersMatchExactly) {
    const std::string tail =
        " shortcut on Linux desktops. Choose a combination your desktop does not already use.";
    const std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string>> cases = {
        {8, kCtrl, "Ctrl+C is the Copy" + tail},
        {48, kAlt | kShift, "Shift+Alt+Tab is the Switch Windows Backwards" + tail},
        {123, kSuper, "Super+Left is the Tile Left" + tail},
        {8, kCtrl | kShift, "(free)"}};
    for (const auto& [key, modifiers, message] : cases) {
        EXPECT_EQ(reservedSystemCommandMessage({key, modifiers}).value_or("(free)"), message);
    }
    // The key is named as the keyboard layout prints it.
    const FakeLayout azerty({{12, "A"}});
    EXPECT_EQ(reservedSystemCommandMessage({12, kCtrl}, &azerty)->substr(0, 23),
              "Ctrl+A is the Quit shor");
}

TEST(ShortcutFormatterTest, LabelsReadAsLinuxDesktopsWriteThem) {
    EXPECT_EQ(ShortcutFormatter::label(18, kCtrl | kAlt | kSuper), "Ctrl+Alt+Super+1");
    EXPECT_EQ(ShortcutFormatter::label(40, Modifier::all), "Shift+Ctrl+Alt+Super+K");
    EXPECT_EQ(ShortcutFormatter::label(51, kCtrl), "Ctrl+Backspace");
    // Bits that are not modifiers print nothing.
    EXPECT_EQ(ShortcutFormatter::modifierPrefix(1 | 1024), "");
    // The keyboard layout comes first, then the table, then the number.
    const FakeLayout layout({{10, "§"}, {0, "Q"}});
    EXPECT_EQ(ShortcutFormatter::keyName(10, &layout), "§");
    EXPECT_EQ(ShortcutFormatter::keyName(0, &layout), "Q");
    EXPECT_EQ(ShortcutFormatter::keyName(36, &layout), "Return");
    EXPECT_EQ(ShortcutFormatter::keyName(10), "Key 10");
}

TEST(ShortcutTest, OnlyA16BitKeyAndKnownModifiersAreStorable) {
    EXPECT_TRUE(Shortcut(65535, Modifier::all).isStorable());
    EXPECT_FALSE(Shortcut(65536, kSuper).isStorable());
    EXPECT_FALSE(Shortcut(1, kSuper | 1).isStorable());
}

}  // namespace
}  // namespace orvale
