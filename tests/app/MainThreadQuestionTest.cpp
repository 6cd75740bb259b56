#include "app/MainThreadQuestion.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>

#include "app/ManualMainThread.h"
#include "app/SerialExecutor.h"

// A question asked from another thread is answered on the main thread, and an
// answer that cannot come never holds the asker for ever.
namespace orvale {
namespace {

constexpr auto kForever = std::chrono::hours(1);

// A main thread that has stopped: what is posted to it is dropped unrun.
class StoppedMainThread final : public MainThread {
  public:
    void post(std::function<void()>) override {}
    TaskHandle postAfter(Clock::Duration, std::function<void()>) override { return {}; }
};

struct Asked {
    std::optional<std::thread::id> answeredOn;
    std::function<int()> question() {
        return [this] {
            answeredOn = std::this_thread::get_id();
            return 42;
        };
    }
};

TEST(MainThreadQuestionTest, IsAnsweredOnTheMainThread) {
    VirtualClock clock;
    ManualMainThread mainThread(clock);
    const std::thread::id main = std::this_thread::get_id();
    Asked asked;

    // From the main thread itself: at once, nothing posted.
    EXPECT_EQ(askMainThread<int>(mainThread, main, asked.question(), 0, kForever), 42);
    EXPECT_EQ(asked.answeredOn, main);
    EXPECT_EQ(mainThread.pending(), 0u);

    asked.answeredOn.reset();
    std::atomic<int> answer{-1};
    {
        SerialExecutor worker;
        worker.submit(
            [&] { answer = askMainThread<int>(mainThread, main, asked.question(), 0, kForever); });
        while (answer == -1) {
            mainThread.runReady();
            std::this_thread::yield();
        }
    }
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(asked.answeredOn, main);
}

TEST(MainThreadQuestionTest, AnswersTheFallbackWhenNoAnswerCanCome) {
    VirtualClock clock;
    ManualMainThread neverRuns(clock);
    StoppedMainThread stopped;
    const std::thread::id main = std::this_thread::get_id();
    Asked asked;
    std::optional<int> dropped, unanswered;
    {
        SerialExecutor worker;
        // Dropped unrun: answered at once, whatever the patience.
        worker.submit(
            [&] { dropped = askMainThread<int>(stopped, main, asked.question(), 7, kForever); });
        // Never run: answered once the patience is spent.
        worker.submit([&] {
            unanswered = askMainThread<int>(neverRuns, main, asked.question(), 7,
                                            std::chrono::milliseconds(10));
        });
    }
    EXPECT_EQ(dropped, 7);
    EXPECT_EQ(unanswered, 7);
    EXPECT_EQ(asked.answeredOn, std::nullopt);
}

}  // namespace
}  // namespace orvale
