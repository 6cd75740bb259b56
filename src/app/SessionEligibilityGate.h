#pragma once

#include <mutex>

#include "restore/RestoreOptions.h"

namespace orvale {

// The session's eligibility as the main thread last saw it, for a restore to
// read between moves on its own thread. Safe to use from any thread.
class SessionEligibilityGate {
  public:
    void set(SessionEligibility eligibility) {
        std::lock_guard lock(mutex_);
        value_ = std::move(eligibility);
    }
    SessionEligibility get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

  private:
    mutable std::mutex mutex_;
    SessionEligibility value_;
};

}  // namespace orvale
