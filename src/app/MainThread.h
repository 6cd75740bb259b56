#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "model/Clock.h"

namespace orvale {

// A scheduled main-thread task that may still be called off. Copies share the
// task; an empty handle cancels nothing. Safe to use from any thread.
class TaskHandle {
  public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<std::atomic<bool>> cancelled)
        : cancelled_(std::move(cancelled)) {}

    // The task will not run if it has not started yet.
    void cancel() const {
        if (cancelled_) cancelled_->store(true);
    }
    bool isCancelled() const { return cancelled_ && cancelled_->load(); }

  private:
    std::shared_ptr<std::atomic<bool>> cancelled_;
};

// The thread that owns the model and the user interface, as a queue of tasks.
//
// Threads: `post` and `postAfter` may be called from any thread; the tasks run
// on the main thread, one at a time, in the order they became due (tasks
// posted without delay in the order they were posted). A task posted from the
// main thread never runs inside the call that posted it.
class MainThread {
  public:
    virtual ~MainThread() = default;

    virtual void post(std::function<void()> task) = 0;
    // Runs `task` once `delay` has passed on the program's clock, unless the
    // handle has been cancelled by then.
    virtual TaskHandle postAfter(Clock::Duration delay, std::function<void()> task) = 0;
};

// Where a service runs its work off the main thread: one task at a time, in
// the order submitted. `submit` may be called from any thread and never runs
// the task inside the call.
class Executor {
  public:
    virtual ~Executor() = default;
    virtual void submit(std::function<void()> task) = 0;
};

}  // namespace orvale
