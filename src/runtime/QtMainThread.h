#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "app/MainThread.h"

class QObject;
class QSocketNotifier;

namespace orvale {

// The program's main thread: the thread of the QCoreApplication, whose event
// loop runs the tasks. Delays are measured on the steady clock, which Qt's
// timers share.
//
// Threads: construct and destroy on the application's thread, while the
// QCoreApplication exists; `post` and `postAfter` may be called from any
// thread in between, never after destruction has begun. Tasks still queued
// when this object goes are dropped, not run. A delayed task posted off the
// main thread first hops to it to start its timer; its delay still counts
// from the call.
class QtMainThread final : public MainThread {
  public:
    QtMainThread();
    ~QtMainThread() override;
    QtMainThread(const QtMainThread&) = delete;
    QtMainThread& operator=(const QtMainThread&) = delete;

    void post(std::function<void()> task) override;
    TaskHandle postAfter(Clock::Duration delay, std::function<void()> task) override;

  private:
    // Runs the tasks waiting when it starts, oldest first.
    void runWaiting();

    // Lives on the application's thread; Qt delivers timers aimed at it there,
    // and drops them when it goes.
    std::unique_ptr<QObject> context_;
    // Tasks cross threads through this queue and an eventfd the event loop
    // watches, not through Qt's own event queue, whose locking
    // ThreadSanitizer cannot follow; nothing of Qt is touched off the main
    // thread.
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    int wake_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace orvale
