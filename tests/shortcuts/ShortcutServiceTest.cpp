#include "shortcuts/ShortcutService.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/ManualMainThread.h"
#include "platform/sim/SimulatedKeyboard.h"

namespace orvale {
namespace {

using Requests = std::vector<std::string>;
using Registered = std::map<std::uint32_t, Shortcut>;

constexpr std::uint32_t kSuper = Modifier::command;
constexpr std::uint32_t kAlt = Modifier::option;

Uuid id(const char* text) {
    return *Uuid::parse(text);
}

class ShortcutServiceTest : public ::testing::Test {
  protected:
    ShortcutServiceTest() {
        service->setTrigger([this](const ShortcutTarget& target) { triggered.push_back(target); });
    }

    // Registers `global` and `perLayout` as the set in place.
    void establish(const std::optional<Shortcut>& global,
                   const std::map<Uuid, Shortcut>& perLayout) {
        ASSERT_EQ(service->apply(global, perLayout, std::nullopt), std::nullopt);
    }

    VirtualClock clock;
    ManualMainThread mainThread{clock};
    SimulatedKeyboard keyboard;
    std::optional<ShortcutService> service{std::in_place, keyboard, mainThread};
    std::vector<ShortcutTarget> triggered;

    const Uuid a = id("0A000000-0000-4000-8000-000000000000");
    const Uuid b = id("b0000000-0000-4000-8000-000000000000");
    const Uuid c = id("C0000000-0000-4000-8000-000000000000");
    const Shortcut g{5, kSuper | kAlt};    // Alt+Super+G
    const Shortcut k1{18, kSuper | kAlt};  // Alt+Super+1
    const Shortcut k2{19, kSuper | kAlt};  // Alt+Super+2
    const Shortcut k3{20, kSuper | kAlt};  // Alt+Super+3
};

TEST_F(ShortcutServiceTest, NumbersTheGlobalFirstThenLayoutsByIdAndTriggersOnTheMainThread) {
    establish(g, {{c, k3}, {a, k1}, {b, k2}});
    EXPECT_EQ(keyboard.requests(), (Requests{"register 1 Alt+Super+G", "register 2 Alt+Super+1",
                                             "register 3 Alt+Super+2", "register 4 Alt+Super+3"}));
    EXPECT_EQ(service->activeGlobal(), g);

    for (const std::uint32_t number : {3u, 1u, 9u, 4u}) keyboard.press(number);
    EXPECT_TRUE(triggered.empty()) << "presses wait for the main thread";
    mainThread.runReady();
    EXPECT_EQ(triggered, (std::vector<ShortcutTarget>{ShortcutTarget::layout(b),
                                                      ShortcutTarget::selectedLayout(),
                                                      ShortcutTarget::layout(c)}));
}

TEST_F(ShortcutServiceTest, ClashesAreRefusedBeforeAnythingChanges) {
    struct Case {
        std::optional<Shortcut> global;
        std::map<Uuid, Shortcut> perLayout;
        std::optional<ShortcutTarget> editing;
        std::string message;
    };
    const auto usedBy = [](const std::string& key, const std::string& owner) {
        return key + " is used by " + owner + ". Choose another shortcut.";
    };
    const std::vector<Case> cases = {
        {k1, {{a, k1}}, ShortcutTarget::selectedLayout(), usedBy("Alt+Super+1", "another layout")},
        {k1, {{a, k1}}, ShortcutTarget::layout(a), usedBy("Alt+Super+1", "the global shortcut")},
        {k1, {{a, k1}}, std::nullopt, usedBy("Alt+Super+1", "the global shortcut")},
        // The layout whose id sorts later is the one named.
        {g, {{c, k2}, {a, k2}}, ShortcutTarget::layout(a), usedBy("Alt+Super+2", "another layout")},
        // The same key with other modifiers is another shortcut; the same
        // modifiers on another key too.
        {Shortcut{18, kSuper},
         {{a, k1}, {b, Shortcut{18, kAlt}}, {c, k1}},
         std::nullopt,
         usedBy("Alt+Super+1", "another layout")},
    };
    establish(g, {{b, k3}});
    const Requests before = keyboard.requests();
    for (const Case& test : cases) {
        EXPECT_EQ(service->apply(test.global, test.perLayout, test.editing), test.message);
    }
    EXPECT_EQ(keyboard.requests(), before);
    EXPECT_EQ(keyboard.registered(), (Registered{{1, g}, {2, k3}}));
    EXPECT_EQ(service->activeGlobal(), g);
}

TEST_F(ShortcutServiceTest, AnUnusableShortcutPutsThePreviousSetBack) {
    struct Case {
        Shortcut layoutShortcut;
        std::string message;
    };
    keyboard.holdElsewhere(k3);
    const std::vector<Case> cases = {
        {k3, "Alt+Super+3 is in use or reserved. Choose another shortcut."},
        {Shortcut{40, 0}, "K needs at least one modifier."},
        {Shortcut{8, Modifier::control},
         "Ctrl+C is the Copy shortcut on Linux desktops. Choose a combination your desktop does "
         "not already use."},
    };
    for (const Case& test : cases) {
        establish(g, {{a, k1}});
        // The second registration of the new set is the one refused.
        EXPECT_EQ(service->apply(k2, {{a, test.layoutShortcut}}, ShortcutTarget::layout(a)),
                  test.message);
        EXPECT_EQ(keyboard.registered(), (Registered{{1, g}, {2, k1}})) << test.message;
        EXPECT_EQ(service->activeGlobal(), std::nullopt);
        keyboard.press(2);
        mainThread.runReady();
        ASSERT_FALSE(triggered.empty());
        EXPECT_EQ(triggered.back(), ShortcutTarget::layout(a));
    }
    // Shift counts as a modifier.
    const Shortcut shiftK{40, Modifier::shift};
    EXPECT_EQ(service->apply(std::nullopt, {{a, shiftK}}, ShortcutTarget::layout(a)), std::nullopt);
    EXPECT_EQ(keyboard.registered(), (Registered{{2, shiftK}}));
}

TEST_F(ShortcutServiceTest, WhenThePreviousSetFailsTooBothAreSaid) {
    establish(k1, {});
    keyboard.holdElsewhere(k1);
    keyboard.holdElsewhere(k2);
    EXPECT_EQ(service->apply(k2, {}, ShortcutTarget::selectedLayout()),
              "Alt+Super+2 is in use or reserved. Choose another shortcut. Previous shortcut also "
              "failed: Alt+Super+1 is in use or reserved. Choose another shortcut.");
    EXPECT_TRUE(keyboard.registered().empty());
    EXPECT_EQ(service->activeGlobal(), k1);
}

TEST_F(ShortcutServiceTest, KeyNamesFollowTheKeyboardLayout) {
    struct German : KeyLabelSource {
        std::optional<std::string> name(std::uint32_t keyCode) const override {
            return keyCode == 16 ? std::optional<std::string>("Z") : std::nullopt;
        }
    } german;
    ShortcutService labelled(keyboard, mainThread, &german);
    EXPECT_EQ(labelled.apply(Shortcut{16, 0}, {}, std::nullopt), "Z needs at least one modifier.");
}

TEST_F(ShortcutServiceTest, WithoutPressesThereAreNoShortcuts) {
    SimulatedKeyboard lost;
    lost.loseHotKeys();
    ShortcutService deaf(lost, mainThread);
    EXPECT_EQ(deaf.apply(g, {}, std::nullopt),
              "Shortcuts are unavailable. Restart Orvale to try again.");
    EXPECT_TRUE(lost.requests().empty());
}

TEST_F(ShortcutServiceTest, GoingAwayUnregistersAndDropsPressesInFlight) {
    establish(g, {{a, k1}});
    keyboard.press(1);
    service.reset();
    mainThread.runReady();
    EXPECT_TRUE(triggered.empty());
    EXPECT_TRUE(keyboard.registered().empty());
}

}  // namespace
}  // namespace orvale
