// The model on Qt's event loop, built as the program builds it, with its
// session from logind's mock and its desktop simulated.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <iostream>
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

class LogindModelTest : public ::testing::Test {
  protected:
    // Call once logind is set up as the test wants it at the start.
    AppModel& startModel() {
        sources_.emplace(desktopSession_, desktopSession_, &std::cerr, logind_.where());
        EXPECT_TRUE(sources_->followsLogind());
        model_.emplace(AppModel::Dependencies{
            mainThread_, clock_, *store_, *windows_, *restores_, desktop_, desktop_, desktop_,
            desktop_, desktop_, sources_->session(), sources_->systemEvents(), defaults_,
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

}  // namespace
}  // namespace orvale
