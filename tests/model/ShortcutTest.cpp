#include <gtest/gtest.h>

#include <map>

#include "model/Shortcut.h"
#include "model/ShortcutFormatter.h"

namespace orvale {
namespace {

constexpr std::uint32_t kCommand = Modifier::command;
constexpr std::uint32_t kShift = Modifier::shift;
constexpr std::uint32_t kOption = Modifier::option;
constexpr std::uint32_t kControl = Modifier::control;

// A keyboard layout that prints some keys differently.
class FakeLayout : public KeyLabelSource {
  public:
    explicit FakeLayout(std::map<std::uint32_t, std::string> names) : names_(std::move(names)) {}
    std::optional<std::string> name(std::uint32_t keyCode) const override {
        auto found = names_.find(keyCode);
        if (found == names_.end()) return std::nullopt;
        return found->second;
    }

  private:
    std::map<std::uint32_t, std::string> names_;
};

TEST(ReservedShortcutTest, CommandCIsCopy) {
    EXPECT_EQ(Shortcut(8, kCommand).reservedSystemCommandMessage(),
              "⌘C is the macOS Copy shortcut. Choose a combination macOS does not already use.");
}

TEST(ReservedShortcutTest, ModifiersMustMatchExactly) {
    EXPECT_FALSE(Shortcut(8, kCommand | kShift).reservedSystemCommandMessage());
    EXPECT_FALSE(Shortcut(8, kCommand | kOption).reservedSystemCommandMessage());
    EXPECT_FALSE(Shortcut(8, kControl).reservedSystemCommandMessage());
    EXPECT_FALSE(Shortcut(8, 0).reservedSystemCommandMessage());
    EXPECT_FALSE(Shortcut(10, kCommand).reservedSystemCommandMessage());
    // An extra modifier on a two-modifier entry is not reserved either.
    EXPECT_FALSE(Shortcut(53, kCommand | kOption | kShift).reservedSystemCommandMessage());
}

TEST(ReservedShortcutTest, NamesTheCommandWithTheFullLabel) {
    auto message = [](std::uint32_t key, std::uint32_t modifiers) {
        return Shortcut(key, modifiers).reservedSystemCommandMessage().value_or("(none)");
    };
    const std::string tail = " shortcut. Choose a combination macOS does not already use.";
    EXPECT_EQ(message(126, kControl), "⌃↑ is the macOS Mission Control" + tail);
    EXPECT_EQ(message(48, kShift), "⇧Tab is the macOS Focus Previous" + tail);
    EXPECT_EQ(message(53, kCommand | kOption), "⌥⌘Escape is the macOS Force Quit" + tail);
    EXPECT_EQ(message(12, kCommand | kControl), "⌃⌘Q is the macOS Lock Screen" + tail);
    EXPECT_EQ(message(12, kCommand | kShift), "⇧⌘Q is the macOS Log Out" + tail);
    EXPECT_EQ(message(21, kCommand | kShift), "⇧⌘4 is the macOS Screenshot" + tail);
    EXPECT_EQ(message(49, kCommand | kControl), "⌃⌘Space is the macOS Emoji & Symbols" + tail);
    EXPECT_EQ(message(43, kCommand), "⌘, is the macOS Settings" + tail);
    EXPECT_EQ(message(6, kCommand | kShift), "⇧⌘Z is the macOS Redo" + tail);
    EXPECT_EQ(message(124, kControl), "⌃→ is the macOS Move Right a Space" + tail);
}

TEST(ReservedShortcutTest, KeyNameFollowsTheKeyboardLayout) {
    const FakeLayout azerty({{12, "A"}});
    EXPECT_EQ(Shortcut(12, kCommand).reservedSystemCommandMessage(&azerty),
              "⌘A is the macOS Quit shortcut. Choose a combination macOS does not already use.");
}

TEST(ShortcutTest, StorableRange) {
    EXPECT_TRUE(Shortcut(65535, Modifier::all).isStorable());
    EXPECT_FALSE(Shortcut(65536, kCommand).isStorable());
    EXPECT_FALSE(Shortcut(1, kCommand | 1).isStorable());
    EXPECT_FALSE(Shortcut(1, 1u << 20).isStorable());
}

TEST(ShortcutFormatterTest, ModifierSymbolsInFixedOrder) {
    EXPECT_EQ(ShortcutFormatter::modifierSymbols(0), "");
    EXPECT_EQ(ShortcutFormatter::modifierSymbols(Modifier::all), "⌃⌥⇧⌘");
    EXPECT_EQ(ShortcutFormatter::modifierSymbols(kCommand | kShift), "⇧⌘");
    EXPECT_EQ(ShortcutFormatter::modifierSymbols(kOption | kCommand), "⌥⌘");
    // Bits that are not modifiers print nothing.
    EXPECT_EQ(ShortcutFormatter::modifierSymbols(1 | 1024), "");
}

TEST(ShortcutFormatterTest, KeyNamesFromTheTable) {
    const std::map<std::uint32_t, std::string> samples = {
        {0, "A"},           {29, "0"},      {23, "5"},
        {22, "6"},          {36, "Return"}, {117, "Forward Delete"},
        {121, "Page Down"}, {122, "F1"},    {113, "F15"},
        {109, "F10"},       {123, "←"},     {126, "↑"},
        {42, "\\"},         {39, "'"},      {50, "`"},
        {65, "."},          {67, "*"},      {81, "="},
        {82, "0"},          {92, "9"},
    };
    for (const auto& [code, name] : samples) {
        EXPECT_EQ(ShortcutFormatter::keyName(code), name) << code;
    }
    int named = 0;
    for (std::uint32_t code = 0; code < 200; ++code) {
        if (ShortcutFormatter::tableKeyName(code)) ++named;
    }
    EXPECT_EQ(named, 95);
}

TEST(ShortcutFormatterTest, UnknownKeysFallBackToTheirNumber) {
    EXPECT_EQ(ShortcutFormatter::keyName(10), "Key 10");
    EXPECT_EQ(ShortcutFormatter::keyName(4294967295u), "Key 4294967295");
    const FakeLayout layout({{10, "§"}, {0, "Q"}});
    EXPECT_EQ(ShortcutFormatter::keyName(10, &layout), "§");
    EXPECT_EQ(ShortcutFormatter::keyName(0, &layout), "Q");
    EXPECT_EQ(ShortcutFormatter::keyName(36, &layout), "Return");
    EXPECT_EQ(ShortcutFormatter::label(40, Modifier::all, &layout), "⌃⌥⇧⌘K");
}

}  // namespace
}  // namespace orvale
