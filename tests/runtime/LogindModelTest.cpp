// The model on Qt's event loop, built as the program builds it, with its
// session from logind's mock and its desktop simulated.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <iostream>
#include <memory>
#include <optional>

#include "app/AppModel.h"
#include "app/SerialExecutor.h"
#include "cli/CommandLinePorts.h"
#include "model/VirtualClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedSession.h"
#include "runtime/FakeLogind.h"
#include "runtime/QtMainThread.h"
#include "runtime/SessionSources.h"
#include "support/TemporaryFolder.h"

namespace orvale {
namespace {

using testing::waitUntil;

// Qt's event loop with the virtual clock moved on by each delay as its task
// runs, so a loop that polls on delayed tasks sees its time pass with them.
// Main thread only, like the tasks it runs.
class ClockedMainThread final : public MainThread {
  public:
    ClockedMainThread(MainThread& loop, VirtualClock& clock) : loop_(loop), clock_(clock) {}

    void post(std::function<void()> task) override { loop_.post(std::move(task)); }
    TaskHandle postAfter(Clock::Duration delay, std::function<void()> task) override {
        auto cancelled = std::make_shared<std::atomic<bool>>(false);
        auto done = std::make_shared<bool>(false);
        delayed_.push_back({cancelled, done});
        loop_.postAfter(delay, [this, delay, cancelled, done, task = std::move(task)] {
            *done = true;
            if (*cancelled) return;
            clock_.advance(delay);
            task();
        });
        return TaskHandle(cancelled);
    }
    // Delayed tasks neither run nor called off.
    std::size_t waiting() const {
        return std::count_if(delayed_.begin(), delayed_.end(),
                             [](const Delayed& task) { return !*task.done && !*task.cancelled; });
    }

  private:
    struct Delayed {
        std::shared_ptr<std::atomic<bool>> cancelled;
        std::shared_ptr<bool> done;
    };
    MainThread& loop_;
    VirtualClock& clock_;
    std::vector<Delayed> delayed_;
};

class LogindModelTest : public ::testing::Test {
  protected:
    // Call once logind is set up as the test wants it at the start.
    AppModel& startModel() {
        sources_.emplace(desktopSession_, desktopSession_, &std::cerr, logind_.where());
        EXPECT_TRUE(sources_->followsLogind());
        model_.emplace(AppModel::Dependencies{
            clockedMainThread_, clock_, *store_, *windows_, *restores_, desktop_, desktop_,
            desktop_, desktop_, desktop_, sources_->session(), sources_->systemEvents(), defaults_,
            presenter_, quiet_, quiet_, StorePaths::in(folder_ / "Orvale"),
            [](const StorePaths& paths) { return LayoutStore::open(paths); }});
        return *model_;
    }

    int argc_ = 1;
    char name_[16] = "logind_model";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication application_{argc_, argv_};
    testing::FakeLogind logind_;
    QtMainThread mainThread_;
    VirtualClock clock_;
    ClockedMainThread clockedMainThread_{mainThread_, clock_};
    SimulatedDesktop desktop_{clock_};
    // The desktop's display and application events, and the session
    // reading logind's replaces.
    SimulatedSession desktopSession_;
    MemoryDefaultsStore defaults_;
    cli::TerminalPresenter presenter_{std::cerr};
    cli::NoOverlaysOrHotKeys quiet_;
    testing::TemporaryFolder folder_;
    std::optional<SessionSources> sources_;
    std::optional<AppModel> model_;
    // Stopped first, before the model goes.
    std::unique_ptr<SerialExecutor> store_ = std::make_unique<SerialExecutor>();
    std::unique_ptr<SerialExecutor> windows_ = std::make_unique<SerialExecutor>();
    std::unique_ptr<SerialExecutor> restores_ = std::make_unique<SerialExecutor>();
};

TEST_F(LogindModelTest, lockSleepAndAnotherSessionPauseTheSessionUntilTheyEnd) {
    logind_.setLocked(true);
    AppModel& model = startModel();
    EXPECT_FALSE(model.sessionEligible());

    const struct {
        const char* what;
        std::function<void()> act;
        bool eligible;
    } steps[] = {
        {"unlocked by the locker", [&] { logind_.setLocked(false); }, true},
        {"Lock", [&] { logind_.lock(); }, false},
        {"Unlock", [&] { logind_.unlock(); }, true},
        {"sleep", [&] { logind_.sleep(true); }, false},
        {"wake", [&] { logind_.sleep(false); }, true},
        {"another session in front", [&] { logind_.setActive(false); }, false},
        {"back in front", [&] { logind_.setActive(true); }, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_TRUE(waitUntil([&] { return model.sessionEligible() == step.eligible; }));
    }
}

// Automatic restore follows logind: a display change behind a locked screen is
// acted on once it unlocks, and waking from sleep restores.
class LogindAutomationTest : public LogindModelTest {
  protected:
    static constexpr RectD kSaved{100, 100, 600, 400};

    // Saves one window as "Work" on two displays, links it to them with
    // automatic restore on, and moves the window away.
    void startLinked() {
        desktop_.plugDisplay({.identity = {1, 1, 1, 0},
                              .name = "Built-in",
                              .frame = {0, 0, 1440, 900},
                              .visibleFrame = {0, 25, 1440, 875},
                              .isPrimary = true});
        side_ = desktop_.plugDisplay(kSide);
        window_ = desktop_.openWindow(
            desktop_.launch({.bundleID = "org.example.Editor", .name = "Editor"}),
            {.frame = kSaved});
        AppModel& model = startModel();
        observation_ = model.observe([this](AppModel::Property property) {
            if (property == AppModel::Property::isBootstrapping) {
                opened_ = !model_->isBootstrapping();
            }
            if (property == AppModel::Property::lastResult) ++restores_;
        });
        ASSERT_TRUE(waitUntil([&] { return opened_; }));
        std::optional<bool> captured;
        model.beginSave([&](bool pending) { captured = pending; });
        ASSERT_TRUE(waitUntil([&] { return captured.has_value(); }));
        ASSERT_TRUE(*captured) << (model.activeError() ? model.activeError()->message : "");
        ASSERT_EQ(reply([&](auto done) { model.savePendingLayout("Work", false, done); }),
                  std::nullopt);
        const Layout* work = model.layoutNamed("Work");
        ASSERT_NE(work, nullptr);
        model.setAutomationEnabled(true);
        ASSERT_EQ(reply([&](auto done) { model.associateAutomation(work->id, done); }),
                  std::nullopt);
        moveAway();
    }

    std::optional<std::string> reply(const std::function<void(AppModel::TextReply)>& ask) {
        std::optional<std::optional<std::string>> answer;
        ask([&](std::optional<std::string> text) { answer = std::move(text); });
        EXPECT_TRUE(waitUntil([&] { return answer.has_value(); }));
        return answer.value_or("no reply");
    }

    void moveAway() {
        SimulatedWindow moved = desktop_.window(window_);
        moved.frame = {20, 60, 300, 200};
        desktop_.updateWindow(window_, moved);
    }
    RectD frame() const { return desktop_.window(window_).frame; }

    // The side display unplugged and plugged back, each change announced,
    // and the model through with both.
    void replugSide() {
        desktop_.unplugDisplay(side_);
        desktopSession_.deliver(SystemEvent::displaysChanged);
        side_ = desktop_.plugDisplay(kSide);
        desktopSession_.deliver(SystemEvent::displaysChanged);
        bool handled = false;
        mainThread_.post([&] { handled = true; });
        ASSERT_TRUE(waitUntil([&] { return handled; }));
    }

    static inline const SimulatedDisplay kSide{.identity = {9, 9, 9, 0},
                                               .name = "Side",
                                               .frame = {1440, 0, 1280, 800},
                                               .visibleFrame = {1440, 0, 1280, 800}};
    std::uint32_t side_ = 0;
    AXElement window_{};
    bool opened_ = false;
    int restores_ = 0;
    AppModel::Observation observation_;
};

TEST_F(LogindAutomationTest, AChangeBehindTheLockIsRestoredOnUnlockAndWakingRestoresAgain) {
    ASSERT_NO_FATAL_FAILURE(startLinked());
    AppModel& model = *model_;

    logind_.lock();
    ASSERT_TRUE(waitUntil([&] { return !model.sessionEligible(); }));
    ASSERT_NO_FATAL_FAILURE(replugSide());
    EXPECT_EQ(clockedMainThread_.waiting(), 0u) << "nothing settles behind the lock";
    EXPECT_EQ(restores_, 0);

    logind_.unlock();
    ASSERT_TRUE(waitUntil([&] { return restores_ == 1 && !model.busy(); }));
    EXPECT_EQ(frame(), kSaved);
    ASSERT_TRUE(model.undoInfo());
    EXPECT_EQ(model.undoInfo()->layoutName, "Work");

    // Past the time the same setup is not restored again.
    clock_.advance(std::chrono::seconds(31));
    moveAway();
    logind_.sleep(true);
    ASSERT_TRUE(waitUntil([&] { return !model.sessionEligible(); }));
    EXPECT_EQ(restores_, 1);
    logind_.sleep(false);
    ASSERT_TRUE(waitUntil([&] { return restores_ == 2 && !model.busy(); }));
    EXPECT_EQ(frame(), kSaved);
    EXPECT_EQ(model.automationNotice(), std::nullopt);
}

}  // namespace
}  // namespace orvale
