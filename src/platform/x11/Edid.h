#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace orvale::x11 {

// What a display's EDID says about who made it and what it is called.
struct Edid {
    // The three-letter PNP manufacturer id as its 16-bit number.
    std::uint32_t vendor = 0;
    std::uint32_t productCode = 0;
    std::uint32_t serial = 0;
    // The monitor-name descriptor, when the EDID carries one.
    std::optional<std::string> monitorName;

    bool operator==(const Edid&) const = default;

    // Nothing unless `data` holds a base block with the fixed header and a
    // correct checksum: a damaged EDID must not give a display a false identity.
    static std::optional<Edid> parse(std::span<const std::uint8_t> data);
};

}  // namespace orvale::x11
