#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "app/MainThread.h"

namespace orvale {

// An executor with one worker thread of its own: tasks run on that thread, one
// at a time, in the order they were submitted.
//
// Threads: `submit` may be called from any thread, the worker's own included
// (a task may submit a follow-up). The destructor must not be called from a
// task: it blocks until every task submitted before it began has run, then
// joins the worker; tasks those tasks submit run too. A task that throws ends the program, as on
// any thread.
class SerialExecutor final : public Executor {
  public:
    SerialExecutor();
    ~SerialExecutor() override;
    SerialExecutor(const SerialExecutor&) = delete;
    SerialExecutor& operator=(const SerialExecutor&) = delete;

    void submit(std::function<void()> task) override;

  private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    // Last, so that it starts once the queue exists.
    std::thread worker_;
};

}  // namespace orvale
