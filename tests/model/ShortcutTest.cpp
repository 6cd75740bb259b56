#include <gtest/gtest.h>

#include <map>

#include "model/ReservedShortcuts.h"
#include "model/ShortcutFormatter.h"

namespace orvale {
namespace {

constexpr std::uint32_t kSuper = Modifier::command;
constexpr std::uint32_t kShift = Modifier::shift;
constexpr std::uint32_t kAlt = Modifier::option;
constexpr std::uint32_t kCtrl = Modifier::control;

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

std::string reserved(std::uint32_t key, std::uint32_t modifiers,
                     const KeyLabelSource* layout = nullptr) {
    return reservedSystemCommandMessage({key, modifiers}, layout).value_or("(free)");
}

TEST(ReservedShortcutTest, NamesTheDesktopCommandInLinuxWords) {
    const std::string tail =
        " shortcut on Linux desktops. Choose a combination your desktop does not already use.";
    EXPECT_EQ(reserved(8, kCtrl), "Ctrl+C is the Copy" + tail);
    EXPECT_EQ(reserved(48, kAlt), "Alt+Tab is the Switch Windows" + tail);
    EXPECT_EQ(reserved(48, kAlt | kShift), "Shift+Alt+Tab is the Switch Windows Backwards" + tail);
    EXPECT_EQ(reserved(118, kAlt), "Alt+F4 is the Close Window" + tail);
    EXPECT_EQ(reserved(117, kCtrl | kAlt), "Ctrl+Alt+Delete is the Log Out" + tail);
    EXPECT_EQ(reserved(17, kCtrl | kAlt), "Ctrl+Alt+T is the Terminal" + tail);
    EXPECT_EQ(reserved(37, kSuper), "Super+L is the Lock Screen" + tail);
    EXPECT_EQ(reserved(123, kSuper), "Super+Left is the Tile Left" + tail);
}

TEST(ReservedShortcutTest, ModifiersMustMatchExactly) {
    EXPECT_EQ(reserved(8, kCtrl | kShift), "(free)");
    EXPECT_EQ(reserved(8, kSuper), "(free)");
    EXPECT_EQ(reserved(8, 0), "(free)");
    EXPECT_EQ(reserved(37, kSuper | kAlt), "(free)");
    EXPECT_EQ(reserved(18, kCtrl | kAlt | kSuper), "(free)");
}

TEST(ReservedShortcutTest, TheKeyIsNamedAsTheKeyboardLayoutPrintsIt) {
    const FakeLayout azerty({{12, "A"}});
    EXPECT_EQ(reserved(12, kCtrl, &azerty).substr(0, 23), "Ctrl+A is the Quit shor");
}

TEST(ShortcutFormatterTest, LabelsReadAsLinuxDesktopsWriteThem) {
    EXPECT_EQ(ShortcutFormatter::label(18, kCtrl | kAlt | kSuper), "Ctrl+Alt+Super+1");
    EXPECT_EQ(ShortcutFormatter::label(40, Modifier::all), "Shift+Ctrl+Alt+Super+K");
    EXPECT_EQ(ShortcutFormatter::label(51, kCtrl), "Ctrl+Backspace");
    EXPECT_EQ(ShortcutFormatter::label(126, 0), "Up");
    // Bits that are not modifiers print nothing.
    EXPECT_EQ(ShortcutFormatter::modifierPrefix(1 | 1024), "");
}

TEST(ShortcutFormatterTest, TheKeyboardLayoutComesFirstThenTheTableThenTheNumber) {
    const FakeLayout layout({{10, "§"}, {0, "Q"}});
    EXPECT_EQ(ShortcutFormatter::keyName(10, &layout), "§");
    EXPECT_EQ(ShortcutFormatter::keyName(0, &layout), "Q");
    EXPECT_EQ(ShortcutFormatter::keyName(36, &layout), "Return");
    EXPECT_EQ(ShortcutFormatter::keyName(10), "Key 10");
    EXPECT_EQ(ShortcutFormatter::keyName(4294967295u), "Key 4294967295");
}

TEST(ShortcutTest, OnlyA16BitKeyAndKnownModifiersAreStorable) {
    EXPECT_TRUE(Shortcut(65535, Modifier::all).isStorable());
    EXPECT_FALSE(Shortcut(65536, kSuper).isStorable());
    EXPECT_FALSE(Shortcut(1, kSuper | 1).isStorable());
}

}  // namespace
}  // namespace orvale
