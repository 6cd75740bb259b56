#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "app/MainThread.h"
#include "model/VirtualClock.h"

namespace orvale {

// A main thread that runs only when a test says so, with delays on a virtual
// clock. Tasks may be posted from any thread; they run on the thread that
// calls `runReady`.
class ManualMainThread final : public MainThread {
  public:
    explicit ManualMainThread(VirtualClock& clock) : clock_(clock) {}

    void post(std::function<void()> task) override;
    TaskHandle postAfter(Clock::Duration delay, std::function<void()> task) override;

    // Runs every task that is due now, including those they post, until none
    // is left; answers how many ran.
    std::size_t runReady();
    // Moves the clock on by `duration`, running each delayed task at its time.
    void advance(Clock::Duration duration);
    // Tasks waiting, due or not (cancelled ones included until their time).
    std::size_t pending() const;

  private:
    struct Timed {
        Clock::Instant due;
        std::size_t order;
        TaskHandle handle;
        std::function<void()> task;
    };

    VirtualClock& clock_;
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> ready_;
    std::vector<Timed> timed_;
    std::size_t nextOrder_ = 0;
};

// An executor that keeps its tasks until a test runs them, so a test can look
// at the model while work is in flight.
class ManualExecutor final : public Executor {
  public:
    void submit(std::function<void()> task) override;
    // Runs the tasks queued now and those they queue; answers how many ran.
    std::size_t runAll();
    std::size_t pending() const;

  private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace orvale
