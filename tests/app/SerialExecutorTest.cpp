#include "app/SerialExecutor.h"

#include <gtest/gtest.h>

#include <latch>
#include <mutex>
#include <thread>
#include <vector>

namespace orvale {
namespace {

// Records what ran and on which thread; only the executor's worker appends.
struct Log {
    std::mutex mutex;
    std::vector<int> order;
    std::vector<std::thread::id> threads;

    void add(int value) {
        std::lock_guard lock(mutex);
        order.push_back(value);
        threads.push_back(std::this_thread::get_id());
    }
};

// The first task holds the worker until a helper lets it go, which the
// destructor, called at once, nearly always outruns: the later tasks are then
// still queued when the executor is asked to stop. A follow-up submitted by a
// task while stopping runs as well.
TEST(SerialExecutorTest, destructorRunsWhatWasSubmittedBeforeJoining) {
    Log log;
    std::latch release(1);
    auto executor = std::make_unique<SerialExecutor>();
    executor->submit([&] { release.wait(); });
    for (int i = 0; i < 10; ++i) executor->submit([&log, i] { log.add(i); });
    executor->submit([&, raw = executor.get()] { raw->submit([&log] { log.add(10); }); });
    std::thread helper([&] { release.count_down(); });
    executor.reset();
    helper.join();
    ASSERT_EQ(log.order.size(), 11u);
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(log.order[i], i);
}

// Tasks from several threads all run, one at a time, each thread's in its order.
TEST(SerialExecutorTest, acceptsTasksFromSeveralThreadsAndRunsThemOneAtATime) {
    constexpr int kThreads = 4, kEach = 200;
    Log log;
    int running = 0, overlaps = 0;  // touched by tasks only
    {
        SerialExecutor executor;
        std::vector<std::thread> submitters;
        for (int t = 0; t < kThreads; ++t) {
            submitters.emplace_back([&, t] {
                for (int i = 0; i < kEach; ++i) {
                    executor.submit([&, value = t * kEach + i] {
                        if (++running != 1) ++overlaps;
                        log.add(value);
                        --running;
                    });
                }
            });
        }
        for (auto& submitter : submitters) submitter.join();
    }
    EXPECT_EQ(overlaps, 0);
    ASSERT_EQ(log.order.size(), static_cast<std::size_t>(kThreads * kEach));
    std::vector<int> next(kThreads, 0);
    for (int value : log.order) {
        const int thread = value / kEach;
        EXPECT_EQ(value % kEach, next[thread]++) << "from thread " << thread;
    }
}

}  // namespace
}  // namespace orvale
