#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace orvale::testing {

// Values handed over by other threads, for the test's thread to wait on; each
// wait is bounded by a generous limit.
template <typename T>
class Arrivals {
  public:
    void add(T value) {
        {
            std::lock_guard lock(mutex_);
            values_.push_back(std::move(value));
        }
        arrived_.notify_all();
    }
    // The first `count` values, once that many came; fewer when they did not
    // come within `limit`.
    std::vector<T> first(std::size_t count, std::chrono::milliseconds limit = kLimit) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, limit, [&] { return values_.size() >= count; });
        return {values_.begin(), values_.begin() + std::min(count, values_.size())};
    }
    // Every value up to and including the first `value`; empty when it did
    // not come in time.
    std::vector<T> through(const T& value) {
        std::unique_lock lock(mutex_);
        auto found = values_.end();
        arrived_.wait_for(lock, kLimit, [&] {
            return (found = std::find(values_.begin(), values_.end(), value)) != values_.end();
        });
        if (found == values_.end()) return {};
        return {values_.begin(), found + 1};
    }

  private:
    static constexpr auto kLimit = std::chrono::seconds(20);
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<T> values_;
};

}  // namespace orvale::testing
