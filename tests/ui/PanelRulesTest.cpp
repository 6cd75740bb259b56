#include <gtest/gtest.h>

#include "ui/PanelRules.h"

namespace orvale::ui::panel {
namespace {

using S = Section;

TEST(PanelRulesTest, SectionsFollowTheStateInTheirFixedOrder) {
    struct Case {
        PanelState state;
        std::vector<Section> expected;
    };
    const PanelState everything{.bootstrapping = false,
                                .storageProblem = false,
                                .permissionTrusted = false,
                                .storageNotice = true,
                                .hasLayouts = true,
                                .progress = true,
                                .result = true,
                                .automationNotice = true};
    PanelState loading = everything;
    loading.bootstrapping = true;
    loading.storageProblem = true;
    PanelState broken = everything;
    broken.storageProblem = true;
    PanelState firstRun = everything;
    firstRun.hasLayouts = false;
    const Case cases[] = {
        {loading, {S::loading, S::footer}},
        {broken, {S::storageProblem, S::footer}},
        {everything,
         {S::permission, S::storageNotice, S::selectedLayout, S::divider, S::progress, S::result,
          S::automationNotice, S::layouts, S::footer}},
        // Without layouts nothing about layouts, results or automation shows.
        {firstRun, {S::permission, S::storageNotice, S::firstRun, S::footer}},
        {PanelState{.hasLayouts = true}, {S::selectedLayout, S::divider, S::layouts, S::footer}},
        {PanelState{}, {S::firstRun, S::footer}},
    };
    for (const Case& c : cases) EXPECT_EQ(sections(c.state), c.expected);
}

TEST(PanelRulesTest, DisabledHelpGivesTheFirstReasonThatHolds) {
    const Availability blocked{.permissionTrusted = false,
                               .hasSelection = false,
                               .exclusionPending = true,
                               .busy = OperationKind::capturing,
                               .storageProblem = true,
                               .allowed = false};
    // Each step clears the reason before it.
    std::vector<std::pair<std::string, std::string>> seen;
    Availability a = blocked;
    const auto record = [&] { seen.emplace_back(restoreHelp(a, "Ctrl+K"), saveHelp(a)); };
    record();
    a.permissionTrusted = true;
    record();
    a.hasSelection = true;
    record();
    a.exclusionPending = false;
    record();
    a.busy = OperationKind::restoring;
    record();
    a.busy.reset();
    record();
    a.storageProblem = false;
    record();
    a.allowed = true;
    record();
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Start a window manager to restore this layout", "Start a window manager to save windows"},
        {"Choose a layout to restore", "Wait for the application change to finish"},
        {"Wait for the application change to finish", "Wait for the application change to finish"},
        {"Wait for the current operation to finish", "Capturing windows…"},
        {"Wait for the current operation to finish", "Wait for the current operation to finish"},
        {"Saved layouts are unavailable", "Saved layouts are unavailable"},
        {"Restore is unavailable", "Capture is unavailable"},
        {"Restore this layout (Ctrl+K)", "Save the open windows as a layout"},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(restoreHelp(a, std::nullopt), "Restore this layout");
}

// The panel's own tests hear the single window, the shortcut and an undo.
TEST(PanelRulesTest, SpokenNamesCountWindowsInWordsAndSayWhatRuns) {
    EXPECT_EQ(restoreAccessibleName(true, "Super+R"), "Restoring layout");
    Layout layout;
    layout.name = "Desk";
    layout.entries.resize(3);
    EXPECT_EQ(rowAccessibleName(layout, false), "Desk, 3 windows, not selected");
    RestoreResult result;
    result.summary = "2 restored";
    EXPECT_EQ(announcement(result), "Restore finished. 2 restored");
}

TEST(PanelRulesTest, DetailsHeightGrowsPerRowWithinItsBounds) {
    const EntryResult plain{};
    EntryResult detailed{};
    detailed.detail = "Moved to Display 2";
    EXPECT_EQ(detailsHeight({}), 40);
    EXPECT_EQ(detailsHeight({plain}), 40);
    EXPECT_EQ(detailsHeight({plain, plain}), 70);
    EXPECT_EQ(detailsHeight({plain, detailed}), 90);
    EXPECT_EQ(detailsHeight({detailed, detailed, detailed}), 162);
    EXPECT_EQ(detailsHeight(std::vector<EntryResult>(10, detailed)), 184);
}

TEST(PanelRulesTest, AnythingNeedingTheUserOutranksWindowsPutBack) {
    const auto icon = [](auto change) {
        RestoreResult result;
        result.movedWindowCount = 1;
        change(result);
        return resultIcon(result);
    };
    EXPECT_EQ(icon([](RestoreResult&) {}), ResultIcon::success);
    EXPECT_EQ(icon([](RestoreResult& r) { r.needsSelectionCount = 1; }), ResultIcon::attention);
    EXPECT_EQ(icon([](RestoreResult& r) { r.failedCount = 1; }), ResultIcon::attention);
    EXPECT_EQ(icon([](RestoreResult& r) { r.cancelledCount = 1; }), ResultIcon::attention);
    EXPECT_EQ(icon([](RestoreResult& r) { r.deferredCount = 1; }), ResultIcon::attention);
    EXPECT_EQ(icon([](RestoreResult& r) { r.permissionLost = true; }), ResultIcon::attention);
    EXPECT_EQ(icon([](RestoreResult& r) { r = RestoreResult{}, r.exactCount = 1; }),
              ResultIcon::success);
    EXPECT_EQ(icon([](RestoreResult& r) { r = RestoreResult{}, r.adjustedCount = 1; }),
              ResultIcon::success);
    EXPECT_EQ(icon([](RestoreResult& r) { r = RestoreResult{}, r.notOpenCount = 2; }),
              ResultIcon::info);
}

TEST(PanelRulesTest, ThePanelOpensBesideTheIconInsideTheScreen) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(360, 400);
    // A top bar: below the icon, centred on it.
    EXPECT_EQ(placement({1000, 0, 24, 24}, {}, size, screen), QPoint(831, 24));
    // A bottom panel: above it; at the right edge: pulled in.
    EXPECT_EQ(placement({1900, 1056, 20, 24}, {}, size, screen), QPoint(1560, 656));
    // No icon geometry: beside the pointer, within a screen to the right.
    EXPECT_EQ(placement({}, {1930, 10}, size, QRect(1920, 0, 1280, 1024)), QPoint(1920, 11));
}

}  // namespace
}  // namespace orvale::ui::panel
