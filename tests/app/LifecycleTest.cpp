#include "ModelFixture.h"
#include "app/ModelTexts.h"
#include "model/Preferences.h"

// Start-up, the selection it repairs, the session and the system's events.
namespace orvale::testing {
namespace {

class LifecycleTest : public ModelFixture {};

TEST_F(LifecycleTest, ASecondBootstrapWhileTheFirstRunsDoesNothing) {
    seedLayouts({"Work"});
    int opens = 0;
    openStore = [&, open = openStore](const StorePaths& at) {
        ++opens;
        return open(at);
    };
    model = std::make_unique<AppModel>(dependencies());
    mainThread.runReady();
    ASSERT_TRUE(model->isBootstrapping());
    model->bootstrap();
    model->retryStorage();
    settle();
    EXPECT_EQ(opens, 1);
    EXPECT_FALSE(model->isBootstrapping());
    EXPECT_EQ(layoutNames(), std::vector<std::string>{"Work"});

    // Once finished, a retry opens the store again.
    model->retryStorage();
    settle();
    EXPECT_EQ(opens, 2);
}

TEST_F(LifecycleTest, TheStoredSelectionIsKeptOnlyWhenItNamesALayout) {
    struct Case {
        std::string name;
        std::vector<std::string> layouts;
        // Index into the seeded layouts; -1 for an id no layout has.
        int stored;
        std::optional<int> selected;
    };
    const std::vector<Case> cases = {
        {"kept", {"A", "B"}, 1, 1},
        {"unknown id", {"A", "B"}, -1, 0},
        {"no layouts", {}, -1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.reset();
        std::filesystem::remove_all(paths.directory);
        const auto ids = seedLayouts(c.layouts);
        Preferences(defaults).setSelectedLayoutID(c.stored < 0 ? Uuid::generate() : ids[c.stored]);
        start();
        const std::optional<Uuid> expected =
            c.selected ? std::optional(ids[*c.selected]) : std::nullopt;
        EXPECT_EQ(model->selectedLayoutID(), expected);
        EXPECT_EQ(Preferences(defaults).selectedLayoutID(), expected);
        EXPECT_EQ(defaults.value(Preferences::Keys::selectedLayoutID).has_value(),
                  expected.has_value());
    }
}

TEST_F(LifecycleTest, ALockedSessionAtLaunchPausesUntilUnlocked) {
    session.setReading(SessionReading{true, true, true});
    start();
    EXPECT_FALSE(model->sessionEligible());
    session.setReading(SessionReading{false, true, true});
    session.deliver(SystemEvent::screenUnlocked);
    settle();
    EXPECT_TRUE(model->sessionEligible());

    // A session that cannot be read counts as inactive.
    session.setReading(std::nullopt);
    session.deliver(SystemEvent::activated);
    settle();
    EXPECT_FALSE(model->sessionEligible());
}

// After a signal that the session went away, it stays ineligible until the
// matching signal back, whatever the session reads meanwhile.
TEST_F(LifecycleTest, SleepAndLockSignalsHoldUntilTheirWakeSignal) {
    start();
    const std::vector<std::pair<SystemEvent, SystemEvent>> pairs = {
        {SystemEvent::sessionResignedActive, SystemEvent::sessionBecameActive},
        {SystemEvent::screensDidSleep, SystemEvent::screensDidWake},
        {SystemEvent::willSleep, SystemEvent::didWake},
        {SystemEvent::screenLocked, SystemEvent::screenUnlocked},
        // Any signal back ends any signal away.
        {SystemEvent::willSleep, SystemEvent::screenUnlocked},
    };
    for (const auto& [away, back] : pairs) {
        SCOPED_TRACE(static_cast<int>(away));
        session.deliver(away);
        settle();
        EXPECT_FALSE(model->sessionEligible());
        session.deliver(SystemEvent::activated);
        session.deliver(SystemEvent::displaysChanged);
        settle();
        EXPECT_FALSE(model->sessionEligible());
        session.deliver(back);
        settle();
        EXPECT_TRUE(model->sessionEligible());
    }
}

TEST_F(LifecycleTest, ADisplayChangeDuringACaptureDoesNotStopIt) {
    start();
    openWindow("Notes");
    std::optional<bool> captured;
    model->beginSave([&](bool pending) { captured = pending; });
    session.deliver(SystemEvent::displaysChanged);
    mainThread.runReady();
    EXPECT_EQ(model->busy(), OperationKind::capturing);
    settle();
    EXPECT_EQ(captured, true);
    ASSERT_TRUE(model->pendingCapture());
    EXPECT_EQ(model->pendingCapture()->entries.size(), 1u);
}

TEST_F(LifecycleTest, ALostWindowManagerIsNoticedWhenTheProgramIsActivated) {
    start();
    EXPECT_TRUE(model->permissionTrusted());
    desktop.setTrusted(false);
    session.deliver(SystemEvent::activated);
    settle();
    EXPECT_FALSE(model->permissionTrusted());
    EXPECT_FALSE(model->canCapture());
    desktop.setTrusted(true);
    session.deliver(SystemEvent::displaysChanged);
    settle();
    EXPECT_TRUE(model->permissionTrusted());
}

}  // namespace
}  // namespace orvale::testing
