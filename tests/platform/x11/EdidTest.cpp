#include "platform/x11/Edid.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/x11/EdidBytes.h"

namespace orvale::x11 {
namespace {

using testing::makeEdid;

TEST(EdidTest, readsTheManufacturerProductSerialAndMonitorName) {
    // "DEL": D=4, E=5, L=12 packed five bits each.
    EXPECT_EQ(Edid::parse(makeEdid("DEL", 0xA0B1, 0x01020304, "U2720Q")),
              (Edid{(4u << 10) | (5u << 5) | 12u, 0xA0B1, 0x01020304, "U2720Q"}));
    // A name that fills the whole descriptor has no line feed after it.
    EXPECT_EQ(Edid::parse(makeEdid("ABC", 1, 2, "ThirteenChars"))->monitorName, "ThirteenChars");
    EXPECT_EQ(Edid::parse(makeEdid("ABC", 1, 2, ""))->monitorName, std::nullopt);
}

TEST(EdidTest, damagedOrShortDataGivesNoIdentity) {
    const auto block = makeEdid("DEL", 1, 2, "X");
    EXPECT_FALSE(Edid::parse(std::span(block).first(127)));
    auto badChecksum = block;
    badChecksum[20] ^= 0x01;
    EXPECT_FALSE(Edid::parse(badChecksum));
    auto badHeader = block;
    badHeader[0] = 0x01;
    badHeader[127] = static_cast<std::uint8_t>(badHeader[127] - 1);
    EXPECT_FALSE(Edid::parse(badHeader));
    // Extension blocks after the base block do not disturb it.
    std::vector<std::uint8_t> withExtension(block.begin(), block.end());
    withExtension.resize(256, 0x55);
    EXPECT_EQ(Edid::parse(withExtension), Edid::parse(block));
}

}  // namespace
}  // namespace orvale::x11
