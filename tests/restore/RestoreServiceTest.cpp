#include <gtest/gtest.h>

#include "RestoreScenario.h"

namespace orvale {
namespace {

using testing_support::RestoreScenario;
using O = EntryOutcome;

class RestoreServiceTest : public RestoreScenario {};

TEST_F(RestoreServiceTest, FullRestoreAcrossThreeDisplays) {
    struct Placement {
        const char* app;
        const char* display;
        RectD target;
    };
    const std::vector<Placement> plan{
        {"Mail", "Built-in Display", {0, 25, 756, 957}},
        {"Editor", "Studio", {1512, 0, 1280, 1440}},
        {"Terminal", "Studio", {2792, 720, 1280, 720}},
        {"Calendar", "Side", {4072, 0, 960, 540}},
        {"Maps", "Built-in Display", {100, 125, 600, 400}},
    };
    std::vector<AXElement> windows;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        // Every window starts stacked in a cascade on the laptop panel.
        windows.push_back(open(launch(plan[i].app), {40.0 + 20 * i, 60.0 + 20 * i, 500, 400}));
        save(plan[i].app, plan[i].display, plan[i].target);
    }
    RestoreOptions options;
    options.layoutID = layout.id;
    options.operationID = Uuid::generate();
    std::vector<RestoreProgress> progress;

    const RestoreResult result =
        restore(options, nullptr, [&](const RestoreProgress& p) { progress.push_back(p); });
    ASSERT_EQ(result.entries.size(), plan.size());
    ASSERT_EQ(progress.size(), plan.size());

    std::vector<testing_support::ExpectedEntry> expected;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        expected.push_back(
            {layout.entries[i].id, O::restored, std::string("Placed on ") + plan[i].display});
        EXPECT_EQ(frameOf(windows[i]), plan[i].target) << plan[i].app;
        EXPECT_EQ(result.entries[i].frame, plan[i].target);
        EXPECT_EQ(progress[i], (RestoreProgress{static_cast<int>(i), 5, plan[i].app, "Desk"}));
    }
    expectEntries(result, expected);
    EXPECT_EQ(result.summary, "5 restored");
    EXPECT_EQ(result.movedWindowCount, 5);
    EXPECT_EQ(result.operationID, options.operationID);
}

TEST_F(RestoreServiceTest, EachWindowIsReadOnceToPlanAndOnceBeforeItsWrite) {
    const auto window = open(launch("Mail"), {100, 100, 500, 400});
    save("Mail", "Studio", {1612, 100, 1000, 800});
    ASSERT_EQ(restore().summary, "1 restored");
    // The scan, the plan, the step before the write and the read-back: the
    // write itself reads no frame of its own.
    EXPECT_EQ(desktop.count(SimulatedAction::Kind::read, window, AXAttribute::position), 4u);
}

TEST_F(RestoreServiceTest, ReplacedDisplayMapsByArrangementOnlyInManualRestores) {
    const auto mail = open(launch("Mail"), {100, 100, 500, 400});
    const auto chat = open(launch("Chat"), {200, 200, 500, 400});
    const auto mailEntry = save("Mail", "Studio", {1612, 100, 1000, 800});
    const auto chatEntry = save("Chat", "Side", {4172, 100, 800, 600});

    // The side display is replaced by another make of the same size and place.
    desktop.unplugDisplay(display("Side").cgDisplayID);
    desktop.plugDisplay({0, {7777, 1, 99, 0}, "New Side", kSide, kSide, 1, 0, 0, false});

    RestoreOptions automation;
    automation.isAutomation = true;
    const auto automatic = restore(automation);
    expectEntries(automatic, {{mailEntry.id, O::restored, "Placed on Studio"},
                              {chatEntry.id, O::failed, "The saved display is not available"}});
    EXPECT_EQ(automatic.summary, "1 restored · 1 failed");
    EXPECT_EQ(frameOf(chat), (RectD{200, 200, 500, 400}));

    const auto manual = restore();
    expectEntries(manual, {{mailEntry.id, O::restored, "Already in place"},
                           {chatEntry.id, O::restored, "Placed on New Side"}});
    EXPECT_EQ(manual.summary, "2 restored");
    EXPECT_EQ(manual.movedWindowCount, 1);
    EXPECT_EQ(frameOf(mail), (RectD{1612, 100, 1000, 800}));
    EXPECT_EQ(frameOf(chat), (RectD{4172, 100, 800, 600}));
}

TEST_F(RestoreServiceTest, AlikeEntriesAndWindowsBothNeedAChoice) {
    const auto pid = launch("Terminal");
    const auto lower = open(pid, {300, 500, 400, 300});
    const auto upperRight = open(pid, {800, 100, 400, 300});
    const auto upperLeft = open(pid, {100, 100, 400, 300});
    const auto first = save("Terminal", "Studio", {1512, 0, 800, 600});
    const auto second = save("Terminal", "Studio", {2312, 0, 800, 600});

    const auto result = restore();
    expectEntries(result, {{first.id, O::needsSelection, "Choose a matching window."},
                           {second.id, O::needsSelection, "Choose a matching window."}});
    EXPECT_EQ(result.summary, "2 need selection");
    EXPECT_EQ(result.needsSelectionCount, 2);
    ASSERT_EQ(result.ambiguous.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(result.ambiguous[i].entryID, layout.entries[i].id);
        EXPECT_EQ(result.ambiguous[i].label, "Terminal");
        EXPECT_EQ(result.ambiguous[i].candidates.size(), 3u);
    }
    EXPECT_EQ(desktop.count(SimulatedAction::Kind::write), 0u);
    EXPECT_FALSE(service.undoSnapshot());

    // The user picks a window for each (offered top to bottom, then left to
    // right); the follow-up run moves exactly those.
    RestoreOptions chosen;
    chosen.preferredWindows = {{first.id, result.ambiguous[0].candidates[2]},
                               {second.id, result.ambiguous[1].candidates[0]}};
    const auto followUp = restore(chosen);
    expectEntries(followUp, {{first.id, O::restored, "Placed on Studio"},
                             {second.id, O::restored, "Placed on Studio"}});
    EXPECT_EQ(frameOf(lower), (RectD{1512, 0, 800, 600}));
    EXPECT_EQ(frameOf(upperLeft), (RectD{2312, 0, 800, 600}));
    EXPECT_EQ(frameOf(upperRight), (RectD{800, 100, 400, 300}));

    // A chosen window that no longer qualifies (here minimised) is left
    // alone: its entry is matched afresh, to the one window still free.
    auto minimised = desktop.window(lower);
    minimised.minimized = true;
    desktop.updateWindow(lower, minimised);
    const auto rechecked = restore(chosen);
    expectEntries(rechecked, {{first.id, O::restored, "Placed on Studio"},
                              {second.id, O::restored, "Already in place"}});
    EXPECT_EQ(frameOf(upperRight), (RectD{1512, 0, 800, 600}));
    EXPECT_EQ(frameOf(lower), (RectD{1512, 0, 800, 600}));
    minimised.minimized = false;
    desktop.updateWindow(lower, minimised);

    // Both choices naming one window are conflicting: both are asked again.
    chosen.preferredWindows[second.id] = chosen.preferredWindows[first.id];
    const auto conflict = restore(chosen);
    expectEntries(conflict, {{first.id, O::needsSelection, "Choose a matching window."},
                             {second.id, O::needsSelection, "Choose a matching window."}});
}

TEST_F(RestoreServiceTest, ExcludedSkippedAndMissingEntries) {
    open(launch("Mail"), {100, 100, 500, 400});
    open(launch("Vault"), {200, 200, 500, 400});
    open(launch("Music"), {300, 300, 500, 400});
    const auto mail = save("Mail", "Studio", {1612, 100, 1000, 800});
    const auto vault = save("Vault", "Studio", {1612, 100, 1000, 800});
    const auto music = save("Music", "Side", {4072, 0, 800, 600});
    const auto absent = save("Absent", "Side", {4072, 0, 800, 600});
    const auto elsewhere = save("Mail", "Side", {4072, 0, 800, 600});
    layout.entries.back().displayKey = "1-2-3";
    exclusions = {bundleOf("Vault"), bundleOf("Music")};

    RestoreOptions options;
    options.skippedEntryIDs = {music.id};
    const auto result = restore(options);
    expectEntries(result, {{mail.id, O::restored, "Placed on Studio"},
                           {vault.id, O::excluded, "Excluded app"},
                           {music.id, O::skipped, "Skipped for this restore"},
                           {absent.id, O::notOpen, "Not open on the active desktop"},
                           {elsewhere.id, O::failed, "The saved display is not available"}});
    EXPECT_EQ(result.summary, "1 restored · 1 not open · 1 failed · 1 excluded · 1 skipped");
    EXPECT_EQ(result.skippedCount, 1);
    EXPECT_EQ(result.excludedCount, 1);
}

TEST_F(RestoreServiceTest, CancellingDuringTheMovesKeepsWhatWasDone) {
    const std::vector<AXElement> windows = openAndSave({"A", "B", "C", "D", "E"});
    CancellationFlag flag;
    const auto result = restore({}, &flag, [&](const RestoreProgress& p) {
        if (p.completed == 2) flag.cancel();
    });
    const std::string cancelled = "Cancelled before this window was moved";
    expectEntries(result, {{layout.entries[0].id, O::restored, "Placed on Studio"},
                           {layout.entries[1].id, O::restored, "Placed on Studio"},
                           {layout.entries[2].id, O::cancelled, cancelled},
                           {layout.entries[3].id, O::cancelled, cancelled},
                           {layout.entries[4].id, O::cancelled, cancelled}});
    EXPECT_EQ(result.summary, "Cancelled · 2 restored · 3 cancelled");
    EXPECT_TRUE(result.wasCancelled);
    EXPECT_EQ(result.movedWindowCount, 2);
    EXPECT_EQ(frameOf(windows[2]), (RectD{100, 100, 400, 300}));
    ASSERT_TRUE(service.undoSnapshot());
    EXPECT_EQ(service.undoSnapshot()->entries.size(), 2u);
}

TEST_F(RestoreServiceTest, CancellingDuringTheLastWriteCancelsTheRun) {
    openAndSave({"A", "B"});
    CancellationFlag flag;
    int writes = 0;
    // The user cancels while the last window's position is being written.
    desktop.observeWrites([&](const AXElement&, std::string_view) {
        if (++writes == 4) flag.cancel();
    });
    const auto result = restore({}, &flag);
    expectEntries(result, {{layout.entries[0].id, O::restored, "Placed on Studio"},
                           {layout.entries[1].id, O::restored, "Placed on Studio"}});
    EXPECT_TRUE(result.wasCancelled);
    EXPECT_EQ(result.summary, "Cancelled · 2 restored");
}

TEST_F(RestoreServiceTest, CancelledBeforeTheScanTouchesNothing) {
    open(launch("A"), {100, 100, 400, 300});
    const auto a = save("A", "Studio", {1612, 100, 1000, 800});
    const auto b = save("B", "Studio", {1612, 100, 1000, 800});
    RestoreOptions options;
    options.skippedEntryIDs = {b.id};
    CancellationFlag flag;
    flag.cancel();
    const auto result = restore(options, &flag);
    expectEntries(result, {{a.id, O::cancelled, "Cancelled before the window scan finished"},
                           {b.id, O::skipped, "Skipped for this restore"}});
    EXPECT_EQ(result.summary, "Cancelled · 1 cancelled · 1 skipped");
    EXPECT_EQ(desktop.count(SimulatedAction::Kind::read), 0u);
}

TEST_F(RestoreServiceTest, WithoutAWindowManagerEveryEntryFailsAndOneLostMidRunFailsTheRest) {
    const std::vector<AXElement> windows = openAndSave({"A", "B", "C", "D"});
    desktop.setTrusted(false);
    auto result = restore();
    const std::string missing = "No supported window manager is running";
    EXPECT_EQ(result.failedCount, 4);
    for (const EntryResult& entry : result.entries) EXPECT_EQ(entry.detail, missing);
    EXPECT_EQ(result.summary, missing);
    EXPECT_TRUE(result.permissionLost);

    // The first window takes two writes; the permission goes during the second.
    desktop.setTrusted(true);
    desktop.revokePermissionAfterWrites(3);
    result = restore();
    const std::string revoked = "The window manager stopped running";
    expectEntries(result, {{layout.entries[0].id, O::restored, "Placed on Studio"},
                           {layout.entries[1].id, O::failed, revoked},
                           {layout.entries[2].id, O::failed, revoked},
                           {layout.entries[3].id, O::failed, revoked}});
    EXPECT_EQ(result.summary, "The window manager stopped running");
    EXPECT_TRUE(result.permissionLost);
    // The interrupted window may have changed, so it is journaled too.
    ASSERT_TRUE(service.undoSnapshot());
    EXPECT_EQ(service.undoSnapshot()->entries.size(), 2u);

    // A window that looks gone as the window manager ends: the end is the reason.
    desktop.setTrusted(true);
    result = restore({}, nullptr, [&](const RestoreProgress& p) {
        if (p.currentLabel != "B") return;
        desktop.closeWindow(windows[1]);
        desktop.setTrusted(false);
    });
    EXPECT_EQ(result.entries[1].detail, revoked);
    EXPECT_EQ(result.failedCount, 3);
}

TEST_F(RestoreServiceTest, AWindowManagerThatStopsAnsweringEndsTheRunAfterOneWrite) {
    const std::vector<AXElement> windows = openAndSave({"A", "B", "C"});
    desktop.failWrites(windows[1], AXAttribute::size,
                       {.code = AXErrorCode::windowManagerNotResponding});
    const auto result = restore();
    const std::string silent = "The window manager is not responding";
    expectEntries(result, {{layout.entries[0].id, O::restored, "Placed on Studio"},
                           {layout.entries[1].id, O::failed, silent},
                           {layout.entries[2].id, O::failed, silent}});
    EXPECT_EQ(result.summary, "1 restored · 2 failed");
    EXPECT_FALSE(result.permissionLost);
    EXPECT_EQ(desktop.writtenAttributes(),
              (std::vector<std::string>{"AXSize", "AXPosition", "AXSize"}));
}

TEST_F(RestoreServiceTest, AMatchedWindowWhoseFrameCannotBeReadWhenPlanningIsNotMoved) {
    const auto window = open(launch("A"), {100, 100, 400, 300});
    const auto a = save("A", "Studio", {1612, 100, 1000, 800});
    // The scan reads the window's place once; the plan's read fails.
    desktop.failReads(window, AXAttribute::position, {AXErrorCode::cannotComplete, 1, 1});
    const auto result = restore();
    expectEntries(result, {{a.id, O::failed, "The window is no longer available"}});
    EXPECT_EQ(desktop.count(SimulatedAction::Kind::write), 0u);
}

TEST_F(RestoreServiceTest, WindowsClosedOrMinimisedBeforeTheirMove) {
    open(launch("A"), {100, 100, 400, 300});
    const auto doomed = open(launch("B"), {150, 150, 400, 300});
    const auto hidden = open(launch("C"), {200, 200, 400, 300});
    open(launch("D"), {250, 250, 400, 300});
    for (const char* app : {"A", "B", "C", "D"}) save(app, "Studio", {1612, 100, 1000, 800});
    const auto result = restore({}, nullptr, [&](const RestoreProgress& p) {
        if (p.currentLabel != "B") return;
        desktop.closeWindow(doomed);
        auto minimised = desktop.window(hidden);
        minimised.minimized = true;
        desktop.updateWindow(hidden, minimised);
    });
    expectEntries(
        result, {{layout.entries[0].id, O::restored, "Placed on Studio"},
                 {layout.entries[1].id, O::notOpen, "The window is no longer open"},
                 {layout.entries[2].id, O::failed, "The window is no longer on the active desktop"},
                 {layout.entries[3].id, O::restored, "Placed on Studio"}});
    EXPECT_EQ(result.summary, "2 restored · 1 not open · 1 failed");
}

TEST_F(RestoreServiceTest, WindowAlreadyInPlaceIsNotWritten) {
    const auto window = open(launch("A"), {1612, 100, 1002, 797});
    const auto a = save("A", "Studio", {1612, 100, 1000, 800});
    const auto result = restore();
    expectEntries(result, {{a.id, O::restored, "Already in place"}});
    EXPECT_EQ(result.entries[0].frame, (RectD{1612, 100, 1002, 797}));
    EXPECT_EQ(result.entries[0].windowID, desktop.window(window).number);
    EXPECT_EQ(result.movedWindowCount, 0);
    EXPECT_EQ(desktop.count(SimulatedAction::Kind::write), 0u);
    EXPECT_FALSE(service.undoSnapshot());
}

TEST_F(RestoreServiceTest, EmptyLayoutDoesNotScan) {
    const auto result = restore();
    EXPECT_TRUE(result.entries.empty());
    EXPECT_EQ(result.summary, "No matching open windows");
    EXPECT_EQ(desktop.actions().size(), 0u);
}

TEST_F(RestoreServiceTest, TimedOutScanDefersRunningApplicationsOnly) {
    open(launch("Alpha"), {100, 100, 400, 300});
    // Slow applications, scanned after Alpha by name, use up the scan's time.
    for (int i = 0; i < 12; ++i) {
        const auto pid = launch("Filler " + std::to_string(10 + i));
        open(pid, {300.0 + i, 300, 400, 300});
        desktop.setResponseTime(desktop.applicationElement(pid), 0.34);
    }
    open(launch("Zulu"), {200, 200, 400, 300});
    const auto alpha = save("Alpha", "Studio", {1612, 100, 1000, 800});
    const auto zulu = save("Zulu", "Studio", {1612, 100, 1000, 800});
    const auto ghost = save("Ghost", "Studio", {1612, 100, 1000, 800});

    const auto result = restore();
    expectEntries(result, {{alpha.id, O::restored, "Placed on Studio"},
                           {zulu.id, O::deferred, "Window scan timed out. Try Restore again."},
                           {ghost.id, O::notOpen, "Not found before the window scan timed out"}});
    EXPECT_EQ(result.summary, "1 restored · 1 not open · 1 deferred");
    EXPECT_EQ(result.deferredCount, 1);
    EXPECT_FALSE(result.deferredReason);
}

TEST_F(RestoreServiceTest, IncompleteDiscoveryDefersThatApplication) {
    const auto pid = launch("Stubborn");
    open(pid, {100, 100, 400, 300});
    desktop.failReads(desktop.applicationElement(pid), AXAttribute::windows,
                      {AXErrorCode::cannotComplete});
    const auto entry = save("Stubborn", "Studio", {1612, 100, 1000, 800});
    const auto result = restore();
    expectEntries(
        result, {{entry.id, O::deferred, "Couldn’t read all windows. Try Restore again shortly."}});
    EXPECT_EQ(result.summary, "1 deferred");
}

TEST_F(RestoreServiceTest, AutomationDefersWhenTheSessionOrAGestureSaysSo) {
    openAndSave({"A", "B", "C"});
    RestoreOptions options;
    options.isAutomation = true;
    int asked = 0;
    options.eligibility = [&] { return SessionEligibility{++asked < 2, std::nullopt}; };
    const std::string paused = "Automation paused. It resumes when the session is active.";
    auto result = restore(options);
    expectEntries(result, {{layout.entries[0].id, O::restored, "Placed on Studio"},
                           {layout.entries[1].id, O::deferred, paused},
                           {layout.entries[2].id, O::deferred, paused}});
    EXPECT_EQ(result.summary, "1 restored · 2 deferred");
    EXPECT_EQ(result.deferredReason, paused);

    // A gesture that starts during the second write stops it and the rest.
    options.eligibility = {};
    int gates = 0;
    options.writeGate = [&] { return ++gates < 3; };
    const std::string gesture = "A window is being moved. Finish, then choose Restore.";
    result = restore(options);
    expectEntries(result, {{layout.entries[0].id, O::restored, "Already in place"},
                           {layout.entries[1].id, O::deferred, gesture},
                           {layout.entries[2].id, O::deferred, gesture}});
    EXPECT_FALSE(result.deferredReason);
}

}  // namespace
}  // namespace orvale
