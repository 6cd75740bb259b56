#include "runtime/QtMainThread.h"

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <system_error>

namespace orvale {

QtMainThread::QtMainThread()
    : context_(std::make_unique<QObject>()), wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (wake_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    notifier_ = std::make_unique<QSocketNotifier>(wake_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, context_.get(), [this] {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto read = ::read(wake_, &count, sizeof count);
        runWaiting();
    });
}

QtMainThread::~QtMainThread() {
    notifier_.reset();
    ::close(wake_);
}

void QtMainThread::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    const std::uint64_t one = 1;
    // Only a counter at its maximum refuses a write, and then a wake-up is
    // pending already.
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
}

void QtMainThread::runWaiting() {
    std::deque<std::function<void()>> waiting;
    {
        std::lock_guard lock(mutex_);
        waiting.swap(tasks_);
    }
    // Tasks they post wait for the next wake-up.
    for (auto& task : waiting) task();
}

TaskHandle QtMainThread::postAfter(Clock::Duration delay, std::function<void()> task) {
    TaskHandle handle(std::make_shared<std::atomic<bool>>(false));
    const auto due = std::chrono::steady_clock::now() + delay;
    auto start = [context = context_.get(), due, handle, task = std::move(task)]() mutable {
        // Rounded up, so that the task never runs before it is due; a
        // precise timer, because a coarse one may fire early.
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(
            std::max(due - std::chrono::steady_clock::now(), Clock::Duration::zero()));
        QTimer::singleShot(remaining, Qt::PreciseTimer, context, [handle, task = std::move(task)] {
            if (!handle.isCancelled()) task();
        });
    };
    if (QThread::currentThread() == context_->thread()) {
        start();
    } else {
        post(std::move(start));
    }
    return handle;
}

}  // namespace orvale
