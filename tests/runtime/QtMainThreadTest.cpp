#include "runtime/QtMainThread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <thread>
#include <vector>

namespace orvale {
namespace {

using namespace std::chrono_literals;

class QtMainThreadTest : public ::testing::Test {
  protected:
    // Runs the event loop until a task calls finish() or `limit` passes;
    // true when a task finished it.
    bool runUntilFinished(std::chrono::milliseconds limit = 20s) {
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        deadline.start(limit);
        return QCoreApplication::exec() == 0;
    }
    static void finish() { QCoreApplication::exit(0); }

    int argc_ = 1;
    char name_[16] = "qt_main_thread";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication application_{argc_, argv_};
    QtMainThread mainThread_;
};

TEST_F(QtMainThreadTest, postsRunInOrderAndNeverInsideTheCallThatPostedThem) {
    std::vector<int> ran;
    for (int i = 0; i < 50; ++i) mainThread_.post([&ran, i] { ran.push_back(i); });
    mainThread_.post(finish);
    EXPECT_TRUE(ran.empty());
    ASSERT_TRUE(runUntilFinished());
    ASSERT_EQ(ran.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(ran[i], i);
}

TEST_F(QtMainThreadTest, delayedTasksWaitTheirDelayAndCancelledOnesNeverRun) {
    for (const bool fromWorker : {false, true}) {
        SCOPED_TRACE(fromWorker ? "posted from a worker" : "posted from the main thread");
        bool cancelledRan = false;
        std::thread::id ranOn;
        std::chrono::steady_clock::time_point start, ranAt;
        auto schedule = [&] {
            start = std::chrono::steady_clock::now();
            mainThread_.postAfter(10ms, [&] { cancelledRan = true; }).cancel();
            mainThread_.postAfter(60ms, [&] {
                ranAt = std::chrono::steady_clock::now();
                ranOn = std::this_thread::get_id();
                finish();
            });
        };
        std::thread worker;
        if (fromWorker) {
            worker = std::thread(schedule);
        } else {
            schedule();
        }
        const bool finished = runUntilFinished();
        if (worker.joinable()) worker.join();
        ASSERT_TRUE(finished);
        EXPECT_FALSE(cancelledRan);
        EXPECT_EQ(ranOn, std::this_thread::get_id());
        EXPECT_GE(ranAt - start, 60ms);
    }
}

}  // namespace
}  // namespace orvale
