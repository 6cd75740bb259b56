#pragma once

#include <mutex>

namespace orvale {

// Set by whoever started a long operation, read by the operation before each
// step; shared across threads, so it carries its own lock.
class CancellationFlag {
  public:
    void cancel() {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    bool isCancelled() const {
        std::lock_guard lock(mutex_);
        return cancelled_;
    }

  private:
    mutable std::mutex mutex_;
    bool cancelled_ = false;
};

}  // namespace orvale
