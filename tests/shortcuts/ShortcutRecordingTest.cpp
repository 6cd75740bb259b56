#include "shortcuts/ShortcutRecording.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/SimulatedKeyboard.h"
#include "support/LinuxModifiers.h"

namespace orvale {
namespace {

using namespace testing;  // the modifiers' Linux names

constexpr std::uint32_t kK = 40;
constexpr std::uint32_t kEscape = 53;
constexpr OwnWindow kSettings = 7;
constexpr OwnWindow kPanel = 8;

class ShortcutRecordingTest : public ::testing::Test {
  protected:
    ShortcutRecordingTest() {
        keyboard.setWindows(kSettings, kPanel);
        recorders.setStateHandler([this](bool recording) { states.push_back(recording); });
    }

    void begin(ShortcutRecordingSession& session) {
        session.begin([this](std::optional<Shortcut> shortcut) { saved.push_back(shortcut); });
    }

    SimulatedKeyboard keyboard;
    ShortcutRecorders recorders;
    std::vector<bool> states;
    std::vector<std::optional<Shortcut>> saved;
    ShortcutRecordingSession session{recorders, keyboard};
};

// What the control shows after a few presses.
TEST_F(ShortcutRecordingTest, HintsFollowWhatIsHeldAndPressed) {
    struct Step {
        // A key (with its modifiers), or a change of the modifiers alone.
        std::optional<std::uint32_t> key;
        std::uint32_t modifiers;
        std::optional<std::string> hint;
        std::optional<std::string> preview;
        bool canSave;
        bool warns;
    };
    const std::string reserved =
        "Ctrl+C is the Copy shortcut on Linux desktops. Choose a combination your desktop does not "
        "already use.";
    const std::vector<std::vector<Step>> scripts = {
        {{kK, 0, "Add Shift, Super, Ctrl, or Alt.", "K", false, false}},
        {{std::nullopt, kShift,
          "Shift alone replaces ordinary typing or selection. Press a key only if you accept that.",
          "Shift", false, false},
         {kK, kShift,
          "Shift-only shortcuts replace ordinary typing or selection. Save only if you accept "
          "that.",
          "Shift+K", true, true}},
        {{8, kCtrl, reserved, "Ctrl+C", false, false}},
        {{std::nullopt, kSuper | kAlt, "Now press a key.", "Alt+Super", false, false},
         {18, kSuper | kAlt, "Press Save to keep this shortcut.", "Alt+Super+1", true, false},
         // Letting go changes the hint but keeps the candidate.
         {std::nullopt, 0, std::nullopt, "Alt+Super+1", true, false}},
        // Bits that are not modifiers are dropped from the candidate.
        {{kK, kCtrl | 1, "Press Save to keep this shortcut.", "Ctrl+K", true, false}},
    };
    for (const auto& script : scripts) {
        begin(session);
        for (const Step& step : script) {
            const bool swallowed = step.key ? keyboard.keyDown(*step.key, step.modifiers, kSettings)
                                            : keyboard.modifiersChanged(step.modifiers, kSettings);
            EXPECT_TRUE(swallowed);
            EXPECT_EQ(session.hint(), step.hint);
            EXPECT_EQ(session.previewText(), step.preview);
            EXPECT_EQ(session.canSave(), step.canSave) << session.previewText().value_or("");
            EXPECT_EQ(session.warnsAboutTyping(), step.warns);
        }
        EXPECT_TRUE(session.isRecording());
    }
}

TEST_F(ShortcutRecordingTest, SavingHandsOverTheCandidateOnce) {
    begin(session);
    EXPECT_FALSE(session.save()) << "nothing pressed yet";
    keyboard.keyDown(kK, 0, kSettings);
    EXPECT_FALSE(session.save()) << "no modifier";
    keyboard.keyDown(kK, kCtrl | kAlt, kSettings);
    EXPECT_TRUE(session.save());
    EXPECT_EQ(saved, (std::vector<std::optional<Shortcut>>{Shortcut{kK, kCtrl | kAlt}}));
    EXPECT_FALSE(session.isRecording());
    EXPECT_FALSE(session.candidate());
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
    EXPECT_EQ(keyboard.monitors(), 0u);
    EXPECT_FALSE(keyboard.keyDown(kK, kCtrl, kSettings)) << "typing goes to the window again";
}

TEST_F(ShortcutRecordingTest, RecordingEndsWithNothingRecorded) {
    const std::vector<std::pair<std::string, std::function<bool()>>> endings = {
        {"Escape", [&] { return keyboard.keyDown(kEscape, kSuper, kSettings); }},
        {"a key in another window", [&] { return keyboard.keyDown(kK, kSuper, kPanel); }},
        {"the user turns to another program",
         [&] {
             keyboard.resignApplication();
             return true;
         }},
        {"the window loses key status",
         [&] {
             keyboard.resignKey();
             return true;
         }},
    };
    for (const auto& [ending, act] : endings) {
        keyboard.setWindows(kSettings, kPanel);
        states.clear();
        begin(session);
        keyboard.keyDown(kK, kSuper, kSettings);
        // Escape is swallowed; a key meant for another window reaches it.
        EXPECT_EQ(act(), ending != "a key in another window") << ending;
        EXPECT_FALSE(session.isRecording()) << ending;
        EXPECT_EQ(states, (std::vector<bool>{true, false})) << ending;
        EXPECT_FALSE(session.save()) << ending;
        EXPECT_TRUE(saved.empty()) << ending;
    }
}

TEST_F(ShortcutRecordingTest, WithoutAKeyWindowTheMainWindowOwnsTheRecording) {
    keyboard.setWindows(std::nullopt, kPanel);
    begin(session);
    // The main window is not key, so nothing typed belongs to the recording.
    EXPECT_FALSE(keyboard.keyDown(kK, kSuper, kPanel));
    EXPECT_FALSE(session.isRecording());

    // A program with no window at all takes every key.
    keyboard.setWindows(std::nullopt, std::nullopt);
    begin(session);
    EXPECT_TRUE(keyboard.keyDown(kK, kSuper, kPanel));
    EXPECT_EQ(session.candidate(), (Shortcut{kK, kSuper}));
}

TEST_F(ShortcutRecordingTest, OneSessionRecordsAtATime) {
    ShortcutRecordingSession other(recorders, keyboard);
    begin(session);
    begin(other);
    EXPECT_FALSE(session.isRecording());
    EXPECT_TRUE(other.isRecording());
    EXPECT_EQ(states, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(keyboard.monitors(), 1u);

    // Stopping one that no longer records tells nobody.
    session.stop();
    EXPECT_TRUE(recorders.isRecording());
    recorders.stopActive();
    EXPECT_FALSE(other.isRecording());
    EXPECT_EQ(states, (std::vector<bool>{true, false, true, false}));
}

TEST_F(ShortcutRecordingTest, ASessionThatGoesAwayStopsRecording) {
    {
        ShortcutRecordingSession shortLived(recorders, keyboard);
        begin(shortLived);
    }
    EXPECT_FALSE(recorders.isRecording());
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
    EXPECT_EQ(keyboard.monitors(), 0u);
}

}  // namespace
}  // namespace orvale
