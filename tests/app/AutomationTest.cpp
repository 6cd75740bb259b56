#include <algorithm>

#include "ModelFixture.h"

// Restoring by itself when the displays settle: the settle loop on the virtual
// clock, the decision, the session and the mouse holding it back.
namespace orvale::testing {
namespace {

constexpr RectD kSaved{100, 100, 600, 400};
constexpr RectD kMoved{20, 60, 300, 200};
constexpr const char* kGesture = "A window is being moved. Finish, then choose Restore.";

class AutomationTest : public ModelFixture {
  protected:
    // Saves the open windows as "Work", linked to the connected displays,
    // with automation on, and moves them away so a restore shows.
    void startLinked(const std::vector<AXElement>& windows) {
        start();
        model->setAutomationEnabled(true);
        work = saveLayout("Work");
        EXPECT_EQ(await([&](auto reply) { model->associateAutomation(work, reply); }),
                  std::nullopt);
        for (const AXElement& window : windows) moveAway(window);
    }
    void moveAway(const AXElement& window) {
        reshape(window, [](SimulatedWindow& w) { w.frame = kMoved; });
    }
    void notify(SystemEvent event) {
        session.deliver(event);
        mainThread.runReady();
    }
    // Lets time pass on the main thread, then runs any restore it started.
    void wait(double secondsToWait) {
        mainThread.advance(seconds(secondsToWait));
        settle();
    }
    void lock(bool locked) {
        session.setReading(SessionReading{locked, true, true});
        notify(locked ? SystemEvent::screenLocked : SystemEvent::screenUnlocked);
    }
    long restores() const {
        return std::count(changes.begin(), changes.end(), AppModel::Property::lastResult);
    }
    RectD frameOf(const AXElement& window) const { return desktop.window(window).frame; }

    Uuid work;
};

TEST_F(AutomationTest, ABurstOfChangesRestoresOnceAfterTheLastHasSettled) {
    const AXElement window = openWindow("Editor", kSaved);
    startLinked({window});
    for (int i = 0; i < 3; ++i) {
        notify(SystemEvent::displaysChanged);
        if (i < 2) wait(0.5);
    }
    wait(1.9);
    EXPECT_EQ(restores(), 0) << "within the quiet interval after the last change";
    wait(0.4);
    EXPECT_EQ(restores(), 1);
    EXPECT_EQ(frameOf(window), kSaved);
    wait(60);
    EXPECT_EQ(restores(), 1);
    EXPECT_EQ(mainThread.pending(), 0u) << "no poll runs once the burst has ended";
}

TEST_F(AutomationTest, ASetupThatKeepsChangingIsGivenUpAfterTenSeconds) {
    const AXElement window = openWindow("Editor", kSaved);
    startLinked({window});
    // A display that comes and goes every second, ending as it was linked.
    std::optional<std::uint32_t> side;
    for (int second = 0; second < 10; ++second) {
        if (side) {
            desktop.unplugDisplay(*std::exchange(side, std::nullopt));
        } else {
            side = desktop.plugDisplay(kSide);
        }
        notify(SystemEvent::displaysChanged);
        wait(1);
    }
    EXPECT_EQ(model->automationNotice(), "Displays haven’t settled. Choose Restore to retry.");
    EXPECT_EQ(model->lastAutomationDeferral(), AutomationDeferral::displaysUnsettled);
    wait(30);
    EXPECT_EQ(restores(), 0);
    EXPECT_EQ(frameOf(window), kMoved);
}

// The setup last restored is not restored again within 30 seconds of the end
// of that run.
TEST_F(AutomationTest, WakingTwiceOntoTheSameSetupRestoresOnce) {
    const AXElement window = openWindow("Editor", kSaved);
    startLinked({window});
    notify(SystemEvent::didWake);
    mainThread.advance(seconds(23));  // the run takes twenty seconds
    ASSERT_EQ(model->busy(), OperationKind::restoring);
    settle();
    moveAway(window);
    wait(10);  // over 30 s since the trigger
    notify(SystemEvent::screensDidWake);
    wait(5);
    EXPECT_EQ(restores(), 1);
    EXPECT_EQ(frameOf(window), kMoved);
    EXPECT_EQ(model->automationNotice(), std::nullopt);
    wait(20);
    notify(SystemEvent::didWake);
    wait(3);
    EXPECT_EQ(restores(), 2);
}

TEST_F(AutomationTest, TheDecisionSaysWhyItRestoresNothing) {
    struct Case {
        // Saved display of each layout linked to the connected setup.
        std::vector<DisplayIdentity> linked;
        bool buttonHeld;
        bool enabled;
        std::optional<std::string> notice;
    };
    const DisplayIdentity here = displays().front().identity;
    const std::vector<Case> cases = {
        {{}, false, true, "The displays changed, but no layout is linked to this setup."},
        {{here, here}, false, true, "More than one layout is linked to these displays."},
        {{kSide.identity},
         false,
         true,
         "A saved display is missing. Restore manually to choose another."},
        {{here}, true, true, kGesture},
        {{here}, false, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notice.value_or("switched off"));
        model.reset();
        std::filesystem::remove_all(paths.directory);
        {
            auto store = LayoutStore::open(paths, {files, clock}).store;
            for (const DisplayIdentity& identity : c.linked) {
                DisplaySnapshot display = displays().front().snapshot();
                display.identity = identity;
                const Uuid id = store
                                    ->createLayout(Uuid::generate().text(), {display},
                                                   {sampleEntry(display, "Editor")}, {})
                                    .id;
                store->updateAutomation(id, true, Topology::signature(displays()));
            }
        }
        start();
        model->setAutomationEnabled(c.enabled);
        if (c.buttonHeld) desktop.pressButton(1);
        notify(SystemEvent::displaysChanged);
        mainThread.advance(seconds(3));
        EXPECT_EQ(model->automationNotice(), c.notice);
        EXPECT_EQ(model->busy(), std::nullopt);
        desktop.releaseButton(1);
        settle();
    }
}

TEST_F(AutomationTest, ALockedSessionWaitsAndRestoresOnceUnlocked) {
    const AXElement window = openWindow("Editor", kSaved);
    startLinked({window});
    lock(true);
    notify(SystemEvent::displaysChanged);
    EXPECT_EQ(mainThread.pending(), 0u) << "no settle loop while locked";
    wait(30);
    EXPECT_EQ(restores(), 0);
    // The change seen behind the lock is settled once the session is back.
    lock(false);
    wait(3);
    EXPECT_EQ(restores(), 1);

    // Locking in the middle of a burst ends it; unlocking settles it afresh.
    wait(31);
    notify(SystemEvent::displaysChanged);
    wait(1);
    lock(true);
    wait(5);
    EXPECT_EQ(mainThread.pending(), 0u);
    lock(false);
    wait(1.9);
    EXPECT_EQ(restores(), 1);
    wait(0.6);
    EXPECT_EQ(restores(), 2);
}

// An automatic run asks the mouse before every move: a button pressed once
// one window has moved holds the other until a later run. A restore the user
// asks for never asks it.
TEST_F(AutomationTest, AButtonPressedDuringARunHoldsTheRemainingMoves) {
    const std::map<std::string, AXElement> windows = {{"Editor", openWindow("Editor", kSaved)},
                                                      {"Clock", openWindow("Clock", kSaved)}};
    startLinked({windows.at("Editor"), windows.at("Clock")});
    desktop.observeWrites([&](const AXElement&, std::string_view attribute) {
        if (attribute == AXAttribute::position) desktop.pressButton(1);
    });
    notify(SystemEvent::displaysChanged);
    wait(3);
    std::vector<std::string> held;
    for (const EntryResult& entry : model->lastResult()->entries) {
        if (entry.outcome == EntryOutcome::deferred && entry.detail == kGesture) {
            held.push_back(entry.appName);
        }
    }
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(desktop.count(SimulatedAction::Kind::write, windows.at(held[0])), 0u);

    desktop.observeWrites({});
    desktop.releaseButton(1);
    wait(31);
    notify(SystemEvent::displaysChanged);
    wait(3);
    EXPECT_EQ(restores(), 2);
    EXPECT_EQ(frameOf(windows.at(held[0])), kSaved);

    for (const auto& [name, window] : windows) moveAway(window);
    desktop.pressButton(1);
    const std::size_t asked = desktop.count(SimulatedAction::Kind::pointer);
    model->restoreLayout(work);
    settle();
    EXPECT_EQ(frameOf(windows.at("Editor")), kSaved);
    EXPECT_EQ(desktop.count(SimulatedAction::Kind::pointer), asked);
}

}  // namespace
}  // namespace orvale::testing
