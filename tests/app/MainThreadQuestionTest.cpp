#include "app/MainThreadQuestion.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/ManualMainThread.h"
#include "app/SerialExecutor.h"

namespace orvale {
namespace {

// A main thread that has stopped: what is posted to it is dropped unrun.
class StoppedMainThread final : public MainThread {
  public:
    void post(std::function<void()>) override {}
    TaskHandle postAfter(Clock::Duration, std::function<void()>) override { return {}; }
};

// A question from another thread is answered on the main thread; one that
// cannot be answered gives the fallback rather than holding the asker.
TEST(MainThreadQuestionTest, IsAnsweredOnTheMainThreadOrNotAtAll) {
    VirtualClock clock;
    ManualMainThread mainThread(clock), neverRuns(clock);
    StoppedMainThread stopped;
    const std::thread::id main = std::this_thread::get_id();
    std::atomic<int> answers{0};
    const auto question = [&] {
        ++answers;
        return std::this_thread::get_id() == main ? 1 : 2;
    };
    constexpr auto kForever = std::chrono::hours(1);
    EXPECT_EQ(askMainThread<int>(mainThread, main, question, 0, kForever), 1);
    EXPECT_EQ(mainThread.pending(), 0u) << "asked on the main thread: answered at once";

    std::atomic<int> fromWorker{-1}, dropped{-1}, unanswered{-1};
    {
        SerialExecutor worker;
        worker.submit(
            [&] { fromWorker = askMainThread<int>(mainThread, main, question, 0, kForever); });
        worker.submit([&] { dropped = askMainThread<int>(stopped, main, question, 7, kForever); });
        worker.submit([&] {
            unanswered =
                askMainThread<int>(neverRuns, main, question, 7, std::chrono::milliseconds(10));
        });
        while (fromWorker == -1) mainThread.runReady();
    }
    EXPECT_EQ(fromWorker, 1);
    EXPECT_EQ(dropped, 7);
    EXPECT_EQ(unanswered, 7);
    EXPECT_EQ(answers, 2);
}

}  // namespace
}  // namespace orvale
