#include "platform/x11/X11SystemEvents.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <vector>

#include "platform/x11/Arrivals.h"
#include "platform/x11/XSession.h"

namespace orvale::x11 {
namespace {

using testing::XSession;

std::unique_ptr<X11SystemEvents> openEvents(XSession& session) {
    auto events = X11SystemEvents::open(session.display().c_str());
    if (!events) throw std::runtime_error("cannot open " + session.display());
    return events;
}

// Xvfb cannot grow its screen, but it can switch its one output off.
TEST(X11SystemEventsTest, anOutputSwitchedOffIsADisplayChange) {
    auto session = XSession::startXvfb(1280, 1024);
    auto events = openEvents(*session);
    testing::Arrivals<SystemEvent> received;
    auto subscription = events->subscribe([&](SystemEvent event) { received.add(event); });

    session->run({"xrandr", "--fb", "1024x768", "--output", "screen", "--off"});
    EXPECT_FALSE(received.through(SystemEvent::displaysChanged).empty());
}

// A new client changes the managed list but ends nothing; the end of the
// process behind a listed window is reported once. Losing the server then
// ends the deliveries without harm.
TEST(X11SystemEventsTest, aClosedClientIsAnApplicationThatTerminated) {
    auto session = XSession::startXvfb(1280, 1024);
    session->startWindowManager();
    const XSession::Client xterm = session->startClient({"xterm"}, "orvale-xterm");
    const XSession::Client xlogo = session->startClient({"xlogo"}, "orvale-xlogo");
    auto events = openEvents(*session);
    testing::Arrivals<SystemEvent> received;
    auto subscription = events->subscribe([&](SystemEvent event) { received.add(event); });

    session->startClient({"xclock"}, "orvale-xclock");
    xterm.process->signal(SIGKILL);
    EXPECT_EQ(received.through(SystemEvent::applicationTerminated),
              std::vector<SystemEvent>{SystemEvent::applicationTerminated});

    // xlogo does not name its process: its X connection stands for it.
    xlogo.process->signal(SIGKILL);
    EXPECT_EQ(received.first(2), std::vector<SystemEvent>(2, SystemEvent::applicationTerminated));

    session.reset();
    subscription.reset();
    events.reset();
}

}  // namespace
}  // namespace orvale::x11
