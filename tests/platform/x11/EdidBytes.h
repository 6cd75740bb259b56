#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvale::testing {

// A made-up EDID base block: `vendor` as three PNP letters, the product code,
// the serial, and a monitor-name descriptor when `name` is not empty.
inline std::array<std::uint8_t, 128> makeEdid(const std::string& vendor, std::uint16_t product,
                                              std::uint32_t serial, const std::string& name) {
    std::array<std::uint8_t, 128> block{};
    const std::array<std::uint8_t, 8> header = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header.begin(), header.end(), block.begin());
    const auto letter = [&](int i) { return static_cast<std::uint16_t>(vendor[i] - 'A' + 1); };
    const std::uint16_t pnp =
        static_cast<std::uint16_t>(letter(0) << 10 | letter(1) << 5 | letter(2));
    block[8] = static_cast<std::uint8_t>(pnp >> 8);
    block[9] = static_cast<std::uint8_t>(pnp & 0xFF);
    block[10] = static_cast<std::uint8_t>(product & 0xFF);
    block[11] = static_cast<std::uint8_t>(product >> 8);
    for (int i = 0; i < 4; ++i) block[12 + i] = static_cast<std::uint8_t>(serial >> (8 * i));
    block[18] = 1;
    block[19] = 4;
    if (!name.empty()) {
        // The second descriptor slot; the first would hold the preferred timing.
        std::uint8_t* descriptor = &block[72];
        descriptor[3] = 0xFC;
        for (std::size_t i = 0; i < 13; ++i) {
            descriptor[5 + i] = i < name.size()    ? static_cast<std::uint8_t>(name[i])
                                : i == name.size() ? 0x0A
                                                   : 0x20;
        }
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < 127; ++i) sum += block[i];
    block[127] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
    return block;
}

}  // namespace orvale::testing
