#include "platform/sim/SimulatedSession.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

namespace orvale {
namespace {

TEST(SimulatedSessionTest, aDeliveryReachesEveryLiveSubscriberAndNoDroppedOne) {
    SimulatedSession session;
    std::vector<std::pair<int, SystemEvent>> received;
    auto first = session.subscribe([&](SystemEvent e) { received.emplace_back(1, e); });
    auto second = session.subscribe([&](SystemEvent e) { received.emplace_back(2, e); });
    EXPECT_EQ(session.liveSubscriptions(), 2u);

    session.deliver(SystemEvent::displaysChanged);
    first.reset();
    EXPECT_EQ(session.liveSubscriptions(), 1u);
    session.deliver(SystemEvent::screenLocked);

    const std::vector<std::pair<int, SystemEvent>> expected = {
        {1, SystemEvent::displaysChanged},
        {2, SystemEvent::displaysChanged},
        {2, SystemEvent::screenLocked},
    };
    EXPECT_EQ(received, expected);
}

// Once the drop returns the handler has finished: the plain flag it writes is
// read without a lock, which ThreadSanitizer reports if the drop did not wait.
TEST(SimulatedSessionTest, droppingASubscriptionWaitsForADeliveryOnAnotherThread) {
    SimulatedSession session;
    std::latch started(1), release(1);
    bool finished = false;
    auto subscription = session.subscribe([&](SystemEvent) {
        started.count_down();
        release.wait();
        finished = true;
    });
    std::thread emitter([&] { session.deliver(SystemEvent::applicationTerminated); });
    started.wait();
    std::thread dropper([&] {
        subscription.reset();
        EXPECT_TRUE(finished);
    });
    release.count_down();
    dropper.join();
    emitter.join();
    EXPECT_EQ(session.liveSubscriptions(), 0u);
}

}  // namespace
}  // namespace orvale
