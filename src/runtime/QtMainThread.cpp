#include "runtime/QtMainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace orvale {

QtMainThread::QtMainThread() : context_(std::make_unique<QObject>()) {}

QtMainThread::~QtMainThread() = default;

void QtMainThread::post(std::function<void()> task) {
    QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection);
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
        QMetaObject::invokeMethod(context_.get(), std::move(start), Qt::QueuedConnection);
    }
    return handle;
}

}  // namespace orvale
