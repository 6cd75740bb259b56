#include "app/ManualMainThread.h"

#include <algorithm>

namespace orvale {

void ManualMainThread::post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    ready_.push_back(std::move(task));
}

TaskHandle ManualMainThread::postAfter(Clock::Duration delay, std::function<void()> task) {
    TaskHandle handle(std::make_shared<std::atomic<bool>>(false));
    std::lock_guard lock(mutex_);
    timed_.push_back({clock_.now() + delay, nextOrder_++, handle, std::move(task)});
    return handle;
}

std::size_t ManualMainThread::runReady() {
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            const auto due =
                std::min_element(timed_.begin(), timed_.end(), [](const Timed& a, const Timed& b) {
                    return a.due != b.due ? a.due < b.due : a.order < b.order;
                });
            if (due != timed_.end() && due->due <= clock_.now()) {
                const bool cancelled = due->handle.isCancelled();
                task = std::move(due->task);
                timed_.erase(due);
                if (cancelled) continue;
            } else if (!ready_.empty()) {
                task = std::move(ready_.front());
                ready_.pop_front();
            } else {
                return ran;
            }
        }
        task();
        ++ran;
    }
}

void ManualMainThread::advance(Clock::Duration duration) {
    const Clock::Instant end = clock_.now() + duration;
    for (;;) {
        runReady();
        std::optional<Clock::Instant> next;
        {
            std::lock_guard lock(mutex_);
            for (const Timed& timed : timed_) {
                if (timed.due <= end && (!next || timed.due < *next)) next = timed.due;
            }
        }
        if (!next) break;
        if (*next > clock_.now()) clock_.advance(*next - clock_.now());
    }
    if (end > clock_.now()) clock_.advance(end - clock_.now());
    runReady();
}

std::size_t ManualMainThread::pending() const {
    std::lock_guard lock(mutex_);
    return ready_.size() + timed_.size();
}

void ManualExecutor::submit(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
}

std::size_t ManualExecutor::runAll() {
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) return ran;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        ++ran;
    }
}

std::size_t ManualExecutor::pending() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

}  // namespace orvale
