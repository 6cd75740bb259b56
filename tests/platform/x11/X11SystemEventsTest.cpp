#include "platform/x11/X11SystemEvents.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/x11/XSession.h"

namespace orvale::x11 {
namespace {

using testing::XSession;

// Keeps what the event thread delivers, for the test's thread to wait on.
class Received {
  public:
    SystemEvents::Handler handler() {
        return [this](SystemEvent event) {
            {
                std::lock_guard lock(mutex_);
                events_.push_back(event);
            }
            arrived_.notify_all();
        };
    }
    // Everything delivered up to and including the first `event`; empty when
    // it did not come in time.
    std::vector<SystemEvent> until(SystemEvent event) {
        std::unique_lock lock(mutex_);
        std::size_t end = 0;
        const bool came = arrived_.wait_for(lock, std::chrono::seconds(20), [&] {
            for (end = 0; end < events_.size(); ++end) {
                if (events_[end] == event) return true;
            }
            return false;
        });
        if (!came) return {};
        return {events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(end) + 1};
    }

    void clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

  private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<SystemEvent> events_;
};

std::unique_ptr<X11SystemEvents> openEvents(XSession& session) {
    auto events = X11SystemEvents::open(session.display().c_str());
    if (!events) throw std::runtime_error("cannot open " + session.display());
    return events;
}

// Xvfb cannot grow its screen, but it can switch its one output off.
TEST(X11SystemEventsTest, anOutputSwitchedOffIsADisplayChange) {
    auto session = XSession::startXvfb(1280, 1024);
    auto events = openEvents(*session);
    Received received;
    auto subscription = events->subscribe(received.handler());

    session->run({"xrandr", "--fb", "1024x768", "--output", "screen", "--off"});
    EXPECT_FALSE(received.until(SystemEvent::displaysChanged).empty());
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
    Received received;
    auto subscription = events->subscribe(received.handler());

    session->startClient({"xclock"}, "orvale-xclock");
    xterm.process->signal(SIGKILL);
    EXPECT_EQ(received.until(SystemEvent::applicationTerminated),
              std::vector<SystemEvent>{SystemEvent::applicationTerminated});

    // xlogo does not name its process: its X connection stands for it.
    received.clear();
    xlogo.process->signal(SIGKILL);
    EXPECT_EQ(received.until(SystemEvent::applicationTerminated),
              std::vector<SystemEvent>{SystemEvent::applicationTerminated});

    session.reset();
    subscription.reset();
    events.reset();
}

}  // namespace
}  // namespace orvale::x11
