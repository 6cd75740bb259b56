#include "shortcuts/ShortcutParser.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/sim/SimulatedKeyboard.h"
#include "shortcuts/KeyboardLayoutLabels.h"
#include "support/LinuxModifiers.h"

namespace orvale {
namespace {

using namespace testing;  // the modifiers' Linux names

ParsedShortcut accepted(std::uint32_t keyCode, std::uint32_t modifiers) {
    return {Shortcut{keyCode, modifiers}, std::nullopt};
}
ParsedShortcut refused(std::string problem) {
    return {std::nullopt, std::move(problem)};
}

TEST(ShortcutParserTest, ReadsCombinationsAsLabelsWriteThem) {
    const std::vector<std::pair<std::string, ParsedShortcut>> cases = {
        {"Super+Alt+1", accepted(18, kSuper | kAlt)},
        {"ctrl+shift+F5", accepted(96, kCtrl | kShift)},
        {"Alt+Left", accepted(123, kAlt)},
        {" control + alt + page up ", accepted(116, kCtrl | kAlt)},
        {"Super+PageDown", accepted(121, kSuper)},
        {"Ctrl++", accepted(69, kCtrl)},
        {"Super+Keypad 1", accepted(83, kSuper)},
        {"Super+1", accepted(18, kSuper)},
        {"Super+key 10", accepted(10, kSuper)},
        {"Shift+K", accepted(40, kShift)},
        {"", refused("Type a shortcut such as Super+Alt+1.")},
        {"Ctrl+Alt+", refused("Name a key after the modifiers, as in Super+Alt+1.")},
        {"Hyper+A", refused("“Hyper” is not a modifier. Use Shift, Ctrl, Alt or Super.")},
        {"Super+Foo",
         refused("“Foo” is not a key name. Use a letter, a digit, or a name such as F5, Left, "
                 "Space or Page Up.")},
        {"Super+Key 70000",
         refused("“Key 70000” is not a key name. Use a letter, a digit, or a name such as F5, "
                 "Left, Space or Page Up.")},
        {"K", refused("Add Shift, Super, Ctrl, or Alt.")},
        {"+", refused("Add Shift, Super, Ctrl, or Alt.")},
        {"ctrl+c",
         refused("Ctrl+C is the Copy shortcut on Linux desktops. Choose a combination your desktop "
                 "does not already use.")},
        {"Super+Escape", refused("Escape can’t be part of a shortcut.")},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parseShortcut(text), expected) << text;
    }
}

TEST(ShortcutParserTest, KeysAreNamedAsTheKeyboardLayoutPrintsThem) {
    SimulatedKeyboard keyboard;
    // The German layout swaps Y and Z and prints its extra key as "<".
    keyboard.switchLayout({{6, "y"}, {16, "z"}, {10, "<"}, {0, "a"}});
    const KeyboardLayoutLabels german(keyboard);
    // In either letter case, and a key the fixed names do not have.
    EXPECT_EQ(parseShortcut("Ctrl+Alt+y", &german), accepted(6, kCtrl | kAlt));
    EXPECT_EQ(parseShortcut("Super+<", &german), accepted(10, kSuper));
}

// Whatever the formatter prints, the parser reads back as the same key; of
// keys that print alike (a keypad key and its main one, unless the layout
// gives the main one another label) the first in the table comes back.
TEST(ShortcutParserTest, EveryLabelReadsBackAsItself) {
    SimulatedKeyboard keyboard;
    keyboard.switchLayout({{6, "y"}, {16, "z"}, {12, "a"}, {0, "q"}, {29, "à"}, {18, "&"}});
    const KeyboardLayoutLabels layout(keyboard);
    const std::vector<std::uint32_t> modifierSets = {kSuper | kAlt, Modifier::all, kShift | kSuper};
    for (const KeyLabelSource* labels : {static_cast<const KeyLabelSource*>(nullptr),
                                         static_cast<const KeyLabelSource*>(&layout)}) {
        std::map<std::string, std::uint32_t> firstWithLabel;
        for (const ShortcutFormatter::KeyName& entry : ShortcutFormatter::keyNames()) {
            if (entry.keyCode == 53) continue;  // Escape is never a shortcut
            for (const std::uint32_t modifiers : modifierSets) {
                const std::string label =
                    ShortcutFormatter::label(entry.keyCode, modifiers, labels);
                const ParsedShortcut parsed = parseShortcut(label, labels);
                ASSERT_TRUE(parsed.shortcut) << label << ": " << parsed.problem.value_or("");
                EXPECT_EQ(ShortcutFormatter::label(parsed.shortcut->keyCode,
                                                   parsed.shortcut->modifiers, labels),
                          label);
                EXPECT_EQ(parsed.shortcut->modifiers, modifiers) << label;
                const auto [first, added] = firstWithLabel.emplace(label, entry.keyCode);
                EXPECT_EQ(parsed.shortcut->keyCode, first->second) << label;
            }
        }
    }
}

}  // namespace
}  // namespace orvale
