#pragma once

#include <compare>

namespace orvale {

// A point in time as seconds since 1970-01-01 00:00:00 UTC, the form in which
// dates are stored.
struct Timestamp {
    double secondsSince1970 = 0;

    bool operator==(const Timestamp&) const = default;
    auto operator<=>(const Timestamp&) const = default;
};

}  // namespace orvale
