#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace orvale {

// Runs `work` and adds how long it took, in milliseconds, to `into`.
template <typename Work>
void timed(std::vector<double>& into, Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    into.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
}

// The middle of `values`, which must not be empty.
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace orvale
