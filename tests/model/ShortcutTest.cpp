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
    // Letters count where the layout puts them, as desktops bind them: on
    // AZERTY, A and Q trade places; a layout without Latin letters keeps
    // the places, and keys other than letters never move.
    const FakeLayout azerty({{12, "A"}, {0, "q"}, {48, "Tab"}});
    const FakeLayout russian({{8, "С"}});
    const std::vector<std::tuple<Shortcut, const KeyLabelSource*, std::string>> placed = {
        {{12, kCtrl}, &azerty, "Ctrl+A is the Select All"},
        {{0, kCtrl}, &azerty, "Ctrl+q is the Quit"},
        {{48, kAlt}, &azerty, "Alt+Tab is the Switch Windows"},
        {{8, kCtrl}, &russian, "Ctrl+С is the Copy"},
    };
    for (const auto& [shortcut, layout, start] : placed) {
        EXPECT_EQ(reservedSystemCommandMessage(shortcut, layout).value_or("(free)"), start + tail);
    }
    // Where the layout's A is, the US A's place is free for Ctrl.
    const FakeLayout moved({{0, "B"}});
    EXPECT_FALSE(reservedSystemCommandMessage({0, kCtrl}, &moved));
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
