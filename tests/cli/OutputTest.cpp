#include <gtest/gtest.h>

#include <sstream>

#include "cli/ChoiceFixtures.h"
#include "cli/LayoutOutput.h"
#include "cli/RestoreOutput.h"
#include "support/StoreFixtures.h"

namespace orvale::cli {
namespace {

using namespace orvale::cli::testing;
using nlohmann::json;

EntryResult entryResult(const char* label, EntryOutcome outcome, const char* detail) {
    return EntryResult{Uuid::generate(), label,  label,        "org.example." + std::string(label),
                       outcome,          detail, std::nullopt, std::nullopt};
}

RestoreResult resultOf(std::vector<EntryResult> entries, std::vector<AmbiguousEntry> ambiguous) {
    ResultDraft draft;
    draft.layoutID = Uuid::generate();
    draft.layoutName = "Work";
    draft.summary = makeSummary(entries, false, false);
    draft.entries = std::move(entries);
    draft.ambiguous = std::move(ambiguous);
    return makeResult(std::move(draft), Timestamp{1767225600});
}

TEST(OutputTest, ARestoreReadsAsOneLinePerEntryThenTheSummaryOrAsOneJSONObject) {
    EntryResult placed = entryResult("XTerm", EntryOutcome::restored, "Placed on DP-1");
    placed.frame = RectD{10, 20, 640, 480};
    placed.windowID = 0x600001;
    const TwoTerminals terminals;
    const RestoreResult result = resultOf(
        {placed, entryResult("xclock", EntryOutcome::notOpen, "Not open on the active desktop"),
         entryResult("XTerm", EntryOutcome::needsSelection, "Choose a matching window.")},
        {terminals.first});

    std::ostringstream text;
    printResult(result, text);
    EXPECT_EQ(text.str(),
              "XTerm · restored · Placed on DP-1\n"
              "xclock · not open · Not open on the active desktop\n"
              "XTerm · needs a choice · Choose a matching window.\n"
              "1 restored · 1 not open · 1 needs selection\n");

    const json object = json::parse(resultJson(result).dump());
    EXPECT_EQ(object["layoutName"], "Work");
    EXPECT_EQ(object["summary"], result.summary);
    EXPECT_EQ(object["counts"]["notOpen"], 1);
    EXPECT_EQ(object["wasCancelled"], false);
    EXPECT_EQ(object["entries"][0],
              (json{{"entryID", placed.entryID.text()},
                    {"label", "XTerm"},
                    {"appName", "XTerm"},
                    {"bundleID", "org.example.XTerm"},
                    {"outcome", "restored"},
                    {"detail", "Placed on DP-1"},
                    {"frame", {{"x", 10}, {"y", 20}, {"width", 640}, {"height", 480}}},
                    {"windowID", 0x600001}}));
    EXPECT_EQ(object["entries"][1]["outcome"], "notOpen");
    EXPECT_TRUE(object["entries"][1]["frame"].is_null());
    const json& candidates = object["ambiguous"][0]["candidates"];
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[1]["number"], 2);
    EXPECT_EQ(candidates[1]["windowID"], 12);
    EXPECT_EQ(candidates[1]["frame"]["x"], 2000);
}

TEST(OutputTest, AFollowUpRunReplacesTheEntriesItTouchedAndTheSummaryIsTakenAgain) {
    const TwoTerminals terminals;
    const EntryResult kept = entryResult("xclock", EntryOutcome::restored, "Already in place");
    EntryResult chosen =
        entryResult("XTerm", EntryOutcome::needsSelection, "Choose a matching window.");
    const EntryResult skipped =
        entryResult("XTerm", EntryOutcome::needsSelection, "Choose a matching window.");
    const RestoreResult first =
        resultOf({kept, chosen, skipped}, {terminals.first, terminals.second});
    EntryResult chosenLater = chosen;
    chosenLater.outcome = EntryOutcome::adjusted;
    chosenLater.detail = "The app adjusted the position or size.";
    EntryResult skippedLater = skipped;
    skippedLater.outcome = EntryOutcome::skipped;
    skippedLater.detail = "Skipped for this restore";
    const RestoreResult merged = mergedResult(first, resultOf({chosenLater, skippedLater}, {}));
    EXPECT_EQ(merged.entries, (std::vector<EntryResult>{kept, chosenLater, skippedLater}));
    EXPECT_TRUE(merged.ambiguous.empty());
    EXPECT_EQ(merged.summary, "1 restored · 1 adjusted · 1 skipped");
    EXPECT_EQ(merged.needsSelectionCount, 0);
    EXPECT_EQ(merged.skippedCount, 1);
}

TEST(OutputTest, MissingDisplaysAreReportedWithTheDisplaysOffered) {
    const MissingDisplayPrompt prompt{Uuid::generate(),
                                      Uuid::generate(),
                                      "Work",
                                      {{"a-key", "Display 2 · 2560 × 1440"}},
                                      {connectedDisplay(1, 0, "DP-1")}};
    const json object = missingDisplaysJson(prompt);
    EXPECT_EQ(object["needsChoice"], "displays");
    EXPECT_EQ(object["missing"][0]["savedDisplayKey"], "a-key");
    EXPECT_EQ(object["available"][0],
              (json{{"number", 1},
                    {"key", prompt.available[0].id()},
                    {"name", "DP-1"},
                    {"frame", {{"x", 0}, {"y", 0}, {"width", 1920}, {"height", 1080}}}}));
}

TEST(OutputTest, LayoutsAreShownWithDisplaysInDisplayOrderFramesShortcutAndLink) {
    const auto right = orvale::testing::sampleDisplay(2, 1920, false);
    const auto left = orvale::testing::sampleDisplay(1, 0, true);
    WindowEntry terminal = orvale::testing::sampleEntry(right, "Terminal");
    terminal.relativeFrame = {0.25, 0, 0.5, 1};
    WindowEntry browser = orvale::testing::sampleEntry(left, "Browser");
    browser.hostname = "example.org";
    browser.displayKey = "gone";
    Layout layout{Uuid::generate(),
                  "Work",
                  {},
                  {},
                  {right, left},
                  {terminal, browser},
                  Shortcut{40, Modifier::control | Modifier::option},
                  true,
                  "sig"};

    std::ostringstream saved;
    printSaved(layout, saved);
    EXPECT_EQ(saved.str(),
              "Terminal · Display 2 · 50% × 100%\n"
              "Browser — example.org · Saved display · 50% × 50%\n"
              "Saved “Work”.\n");

    std::ostringstream shown;
    printLayout(layout, shown);
    EXPECT_EQ(shown.str(),
              "Work\n"
              "  Shortcut      Ctrl+Alt+K\n"
              "  Display link  restores when the display setup sig appears\n"
              "Displays:\n"
              "  Display 1 · 3840 × 2160 · primary · " +
                  left.key() +
                  "\n"
                  "  Display 2 · 3840 × 2160 · " +
                  right.key() +
                  "\n"
                  "Windows:\n"
                  "  Terminal · Display 2 · at 25%, 0% · 50% × 100%\n"
                  "  Browser — example.org · Saved display · at 10%, 10% · 50% × 50%\n");

    const json list = layoutsJson({layout});
    EXPECT_EQ(list["layouts"][0]["name"], "Work");
    EXPECT_EQ(list["layouts"][0]["windows"], 2);
    EXPECT_EQ(list["layouts"][0]["shortcut"], "Ctrl+Alt+K");
    EXPECT_EQ(list["layouts"][0]["linked"], true);
}

}  // namespace
}  // namespace orvale::cli
