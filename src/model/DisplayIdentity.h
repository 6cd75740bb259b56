#pragma once

#include <cstdint>
#include <string>

namespace orvale {

// The hardware identity the window server reports for a display.
struct DisplayIdentity {
    std::uint32_t vendor = 0;
    std::uint32_t model = 0;
    std::uint32_t serial = 0;
    std::uint32_t unit = 0;

    bool operator==(const DisplayIdentity&) const = default;

    // The display key: vendor-model-serial, or vendor-model-unit when the serial
    // is 0. A serial-less display can therefore share its key with another of
    // the same make whose serial equals its unit; the key is used as it is.
    std::string key() const;
};

}  // namespace orvale
