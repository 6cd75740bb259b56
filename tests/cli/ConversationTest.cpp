#include "cli/Conversation.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/ChoiceFixtures.h"

namespace orvale::cli {
namespace {

using namespace orvale::cli::testing;

// The conversation's answer when the user types `input`: `ask(in, out, done)`
// starts it.
template <typename Answer, typename Ask>
std::optional<Answer> answers(Ask ask, const std::string& input, std::ostream& out) {
    std::istringstream lines(input);
    StreamLineReader in(lines);
    std::optional<std::optional<Answer>> answer;
    ask(in, out, [&](std::optional<Answer> given) { answer = std::move(given); });
    EXPECT_TRUE(answer) << "the conversation never answered";
    return answer.value_or(std::nullopt);
}

MissingDisplayPrompt twoMissing() {
    return {Uuid::generate(),
            Uuid::generate(),
            "Work",
            {{"a-key", "Display 2 · 2560 × 1440"}, {"b-key", "Display 3 · 1280 × 1024"}},
            {connectedDisplay(1, 0, "DP-1"), connectedDisplay(2, 1920, "HDMI-1")}};
}

TEST(ConversationTest, DisplaysAreAskedOneByOneAndBadAnswersAreAskedAgain) {
    const MissingDisplayPrompt prompt = twoMissing();
    std::ostringstream out;
    const auto choices = answers<DisplayChoices>(
        [&](auto& in, auto& out, auto done) { askDisplays(prompt, in, out, done); },
        "\n3\nzwei\n 2 \n1x\n1\n", out);
    ASSERT_TRUE(choices);
    EXPECT_EQ(*choices, (std::map<std::string, std::string>{{"a-key", prompt.available[1].id()},
                                                            {"b-key", prompt.available[0].id()}}));
    const std::string options =
        "  1. Display 1 · DP-1 · 1920 × 1080\n  2. Display 2 · HDMI-1 · 1920 × 1080\n";
    const std::string ask = "Choose 1–2: ";
    const std::string again = ask + "Choose a connected display.\n";
    EXPECT_EQ(out.str(),
              "Choose a Display\nChoose where “Work” should restore.\n"
              "Display 2 · 2560 × 1440 is not connected. Restore its windows on:\n" +
                  options + again + again + again + ask +
                  "Display 3 · 1280 × 1024 is not connected. Restore its windows on:\n" + options +
                  again + ask +
                  "This choice applies to this restore only. The saved layout stays unchanged.\n");

    std::ostringstream ignored;
    EXPECT_FALSE(answers<DisplayChoices>(
        [&](auto& in, auto& out, auto done) { askDisplays(prompt, in, out, done); }, "2\n",
        ignored));
}

TEST(ConversationTest, WindowsAreChosenAmongNumberedCandidatesOrSkippedAndNeverTwice) {
    const TwoTerminals terminals;
    std::ostringstream out;
    const auto choices = answers<WindowChoices>(
        [&](auto& in, auto& out, auto done) { askWindows(terminals.request, in, out, done); },
        "5\n3\n3\n0\n4\n", out);
    ASSERT_TRUE(choices);
    EXPECT_EQ(choices->chosen, (std::unordered_map<Uuid, WindowReferencePtr>{
                                   {terminals.first.entryID, terminals.windows[2]}}));
    EXPECT_EQ(choices->skipped, std::set<Uuid>{terminals.second.entryID});
    const std::string options =
        "XTerm (XTerm): which open window is it?\n"
        "  1. XTerm at 100, 200 · 640 × 480 · Display 1\n"
        "  2. XTerm at 2000, 50 · 800 × 600 · Display 2\n"
        "  3. XTerm at 300, 400 · 500 × 300 · Display 1\n"
        "  4. Skip this saved window\n";
    const std::string ask = "Choose 1–4: ";
    EXPECT_EQ(out.str(), "Restore needs a decision.\n2 saved windows need a decision.\n" + options +
                             ask + "Choose one of the numbers offered.\n" + ask + options + ask +
                             "This window is already chosen for another saved window.\n" + ask +
                             "Choose one of the numbers offered.\n" + ask);

    std::ostringstream ignored;
    EXPECT_FALSE(answers<WindowChoices>(
        [&](auto& in, auto& out, auto done) { askWindows(terminals.request, in, out, done); },
        "1\n", ignored));
}

TEST(ConversationTest, WithoutATerminalTheChoiceIsListedWithTheSameOptions) {
    std::ostringstream displays;
    listDisplayChoice(twoMissing(), displays);
    EXPECT_EQ(displays.str(),
              "“Work” needs a choice: saved displays are not connected.\n"
              "Display 2 · 2560 × 1440 is not connected. Restore its windows on:\n"
              "  1. Display 1 · DP-1 · 1920 × 1080\n  2. Display 2 · HDMI-1 · 1920 × 1080\n"
              "Display 3 · 1280 × 1024 is not connected. Restore its windows on:\n"
              "  1. Display 1 · DP-1 · 1920 × 1080\n  2. Display 2 · HDMI-1 · 1920 × 1080\n"
              "Run the restore on a terminal to choose.\n");
    TwoTerminals terminals;
    terminals.request.ambiguous.pop_back();
    terminals.request.available.clear();
    std::ostringstream windows;
    listWindowChoice(terminals.request, windows);
    EXPECT_EQ(windows.str(),
              "“Work” needs a choice: 1 saved window needs a decision.\n"
              "XTerm (XTerm): which open window is it?\n"
              "  1. XTerm at 100, 200 · 640 × 480 · Display\n"
              "  2. XTerm at 2000, 50 · 800 × 600 · Display\n"
              "  3. XTerm at 300, 400 · 500 × 300 · Display\n"
              "  4. Skip this saved window\n"
              "Run the restore on a terminal to choose.\n");
}

}  // namespace
}  // namespace orvale::cli
