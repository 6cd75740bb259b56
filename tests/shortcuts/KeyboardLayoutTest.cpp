#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/ManualMainThread.h"
#include "platform/sim/SimulatedKeyboard.h"
#include "shortcuts/KeyboardLayoutLabels.h"
#include "shortcuts/KeyboardLayoutObserver.h"

namespace orvale {
namespace {

TEST(KeyboardLayoutLabelsTest, PrintableTextIsTheLabelElseTheFixedName) {
    SimulatedKeyboard keyboard;
    keyboard.switchLayout({{0, "q"},
                           {19, "é"},
                           {41, " ö "},
                           {49, " "},
                           {36, "\r"},
                           {48, "\t"},
                           {51, "\x7f"},
                           {42, "\u2028x"},
                           {6, "ß"}});
    const KeyboardLayoutLabels labels(keyboard);
    struct Case {
        std::uint32_t keyCode;
        std::string label;
    };
    const Case cases[] = {
        {0, "Q"},          {19, "É"},  {41, "Ö"}, {49, "Space"},  {36, "Return"}, {48, "Tab"},
        {51, "Backspace"}, {42, "\\"}, {6, "SS"}, {10, "Key 10"}, {123, "Left"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(ShortcutFormatter::keyName(test.keyCode, &labels), test.label) << test.keyCode;
    }
}

TEST(KeyboardLayoutLabelsTest, AnswersAreKeptUntilTheLayoutChanges) {
    SimulatedKeyboard keyboard;
    keyboard.switchLayout({{6, "z"}});
    const KeyboardLayoutLabels labels(keyboard);
    EXPECT_EQ(labels.name(6), "Z");
    EXPECT_EQ(labels.name(6), "Z");
    EXPECT_EQ(labels.name(10), std::nullopt);
    EXPECT_EQ(labels.name(10), std::nullopt);
    EXPECT_EQ(keyboard.translations(), 2u) << "absent answers are kept too";
    // Codes past 16 bits are never translated.
    EXPECT_EQ(labels.name(65536), std::nullopt);
    EXPECT_EQ(keyboard.translations(), 2u);

    keyboard.switchLayout({{6, "y"}, {10, "<"}});
    EXPECT_EQ(labels.name(6), "Y");
    EXPECT_EQ(labels.name(10), "<");
    EXPECT_EQ(keyboard.translations(), 4u);
}

TEST(KeyboardLayoutObserverTest, TheRevisionGoesUpOnTheMainThread) {
    VirtualClock clock;
    ManualMainThread mainThread(clock);
    SimulatedKeyboard keyboard;
    int redraws = 0;
    {
        KeyboardLayoutObserver observer(keyboard, mainThread);
        observer.setObserver([&] { ++redraws; });
        keyboard.switchLayout({{0, "q"}});
        keyboard.switchLayout({{0, "a"}});
        EXPECT_EQ(observer.revision(), 0u);
        mainThread.runReady();
        EXPECT_EQ(observer.revision(), 2u);
        EXPECT_EQ(redraws, 2);

        keyboard.switchLayout({});
    }
    // The change reported before the observer went is dropped.
    mainThread.runReady();
    EXPECT_EQ(redraws, 2);
}

}  // namespace
}  // namespace orvale
