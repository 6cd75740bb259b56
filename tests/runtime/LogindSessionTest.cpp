// The login session read from logind's mock on a private bus.

#include "runtime/LogindSession.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <sstream>
#include <vector>

#include "platform/sim/SimulatedSession.h"
#include "runtime/FakeLogind.h"
#include "runtime/SessionSources.h"

namespace orvale {
namespace {

using testing::FakeLogind;
using testing::waitUntil;

class LogindSessionTest : public ::testing::Test {
  protected:
    int argc_ = 1;
    char name_[16] = "logind_session";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication application_{argc_, argv_};
    std::vector<SystemEvent> events_;
    SystemEvents::Handler record_ = [this](SystemEvent event) { events_.push_back(event); };
};

TEST_F(LogindSessionTest, theReadingAndTheEventsFollowLogind) {
    FakeLogind logind;
    const auto session = LogindSession::open(logind.where());
    ASSERT_TRUE(session);
    EXPECT_EQ(session->current(), (SessionReading{false, true, std::nullopt}));
    const auto subscription = session->subscribe(record_);

    using E = SystemEvent;
    const std::nullopt_t unknown = std::nullopt;
    const struct {
        const char* what;
        std::function<void()> act;
        SystemEvent event;
        SessionReading reading;
    } steps[] = {
        {"hint set", [&] { logind.setLocked(true); }, E::screenLocked, {true, true, unknown}},
        // Another session comes in front, then this one again.
        {"away",
         [&] { logind.setActive(false); },
         E::sessionResignedActive,
         {true, false, unknown}},
        {"back", [&] { logind.setActive(true); }, E::sessionBecameActive, {true, true, unknown}},
        // Unknown counts as the model counts it: unlocked.
        {"hint not a boolean",
         [&] { logind.setSessionProperty("LockedHint", "yes"); },
         E::screenUnlocked,
         {unknown, true, unknown}},
        {"Lock", [&] { logind.lock(); }, E::screenLocked, {unknown, true, unknown}},
        {"Unlock", [&] { logind.unlock(); }, E::screenUnlocked, {unknown, true, unknown}},
        {"sleep", [&] { logind.sleep(true); }, E::willSleep, {unknown, true, unknown}},
        {"wake", [&] { logind.sleep(false); }, E::didWake, {unknown, true, unknown}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        const std::size_t before = events_.size();
        step.act();
        ASSERT_TRUE(waitUntil([&] { return events_.size() > before; }));
        EXPECT_EQ(events_.back(), step.event);
        EXPECT_EQ(session->current(), step.reading);
    }
    EXPECT_EQ(events_.size(), std::size(steps));
}

TEST_F(LogindSessionTest, theSessionIsTheProcesssElseTheOneTheDesktopNames) {
    struct Answer {
        const char* method;
        const char* in;
        const char* out;
        const char* python;
    };
    const struct {
        const char* what;
        bool knowsProcess;
        std::optional<Answer> answer;
        std::optional<std::string> sessionID;
        // Empty when the session is found.
        std::string failure;
    } cases[] = {
        // The mock's GetSession makes a path of any name: "c2" and "auto"
        // lead to sessions that cannot be read.
        {"known by process", true, std::nullopt, "c2", ""},
        {"named by the desktop", false, std::nullopt, "c1", ""},
        {"a name for a session", false, Answer{"GetSessionByPID", "u", "s", "ret = 'c1'"}, "c1",
         ""},
        {"unknown", false,
         Answer{"GetSession", "s", "o", "raise dbus.exceptions.DBusException('none', name='x.No')"},
         "c1", "logind knows no login session of this process (none)"},
        {"unreadable", false, std::nullopt, std::nullopt,
         "logind does not tell the state of the session /org/freedesktop/login1/session/auto ("},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeLogind logind({.knowsProcess = c.knowsProcess});
        if (const auto& a = c.answer) {
            logind.addManagerMethod(a->method, a->in, a->out, a->python);
        }
        LogindSession::Where where = logind.where();
        where.sessionID = c.sessionID;
        std::string why;
        const auto session = LogindSession::open(where, &why);
        EXPECT_EQ(why.substr(0, c.failure.size()), c.failure);
        if (!c.failure.empty()) continue;
        ASSERT_TRUE(session);
        // Its signals are those of the session found.
        logind.setActive(false);
        EXPECT_TRUE(waitUntil([&] { return session->current()->onConsole == false; }));
    }
}

TEST_F(LogindSessionTest, logindLeavingKeepsTheReadingAndItsReturnIsFollowed) {
    FakeLogind logind;
    const auto session = LogindSession::open(logind.where());
    ASSERT_TRUE(session);
    const auto subscription = session->subscribe(record_);
    logind.setLocked(true);
    ASSERT_TRUE(waitUntil([&] { return events_.size() == 1; }));

    logind.stopLogind();
    EXPECT_EQ(session->current(), (SessionReading{true, true, std::nullopt}));
    logind.startLogind();
    logind.sleep(true);
    ASSERT_TRUE(waitUntil([&] { return events_.size() == 2; }));
    EXPECT_EQ(events_.back(), SystemEvent::willSleep);
}

// The sources the model is built with: logind's session and events beside the
// desktop's, else the desktop's alone and one line that says why.
TEST_F(LogindSessionTest, withoutLogindTheDesktopsReadingStandsInAndALineSaysWhy) {
    const std::string unanswered = "orvale: logind does not answer on the system bus (";
    const struct {
        bool running;
        std::string bus;
        std::string notice;
    } cases[] = {
        {true, "", ""},
        {false, "", unanswered},
        {false, "unix:path=/nonexistent", "orvale: the system bus cannot be reached ("},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notice);
        FakeLogind logind({.running = c.running});
        LogindSession::Where where = logind.where();
        if (!c.bus.empty()) where.busAddress = c.bus;
        SimulatedSession desktop;
        std::ostringstream notices;
        SessionSources sources(desktop, desktop, &notices, where);
        EXPECT_EQ(sources.session().current(),
                  (SessionReading{false, true, c.running ? std::nullopt : std::optional(true)}));
        EXPECT_EQ(notices.str().substr(0, c.notice.size()), c.notice);
        if (!c.running) {
            EXPECT_TRUE(notices.str().ends_with(
                "); the session counts as active and unlocked, and locking, sleep and switching "
                "users go unnoticed.\n"));
        }

        events_.clear();
        const auto subscription = sources.systemEvents().subscribe(record_);
        desktop.deliver(SystemEvent::displaysChanged);
        if (c.running) logind.lock();
        EXPECT_TRUE(waitUntil([&] { return events_.size() == (c.running ? 2u : 1u); }));
        EXPECT_EQ(events_.front(), SystemEvent::displaysChanged);
    }
}

}  // namespace
}  // namespace orvale
