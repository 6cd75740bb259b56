#include "platform/x11/Edid.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace orvale::x11 {
namespace {

constexpr std::size_t kBlockSize = 128;
constexpr std::array<std::uint8_t, 8> kHeader = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kFirstDescriptor = 54;
constexpr std::size_t kDescriptorSize = 18;
constexpr std::uint8_t kMonitorNameTag = 0xFC;

std::optional<std::string> readMonitorName(std::span<const std::uint8_t> block) {
    for (std::size_t offset = kFirstDescriptor; offset + kDescriptorSize <= 126;
         offset += kDescriptorSize) {
        const auto descriptor = block.subspan(offset, kDescriptorSize);
        // Display descriptors start with a zero pixel clock; timings do not.
        if (descriptor[0] != 0 || descriptor[1] != 0 || descriptor[3] != kMonitorNameTag) continue;
        std::string name;
        for (std::uint8_t byte : descriptor.subspan(5)) {
            if (byte == 0x0A || byte == 0) break;
            name.push_back(static_cast<char>(byte));
        }
        while (!name.empty() && name.back() == ' ') name.pop_back();
        if (!name.empty()) return name;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Edid> Edid::parse(std::span<const std::uint8_t> data) {
    if (data.size() < kBlockSize) return std::nullopt;
    const auto block = data.first(kBlockSize);
    if (!std::equal(kHeader.begin(), kHeader.end(), block.begin())) return std::nullopt;
    if (std::accumulate(block.begin(), block.end(), 0u) % 256 != 0) return std::nullopt;
    return Edid{
        .vendor = static_cast<std::uint32_t>(block[8] << 8 | block[9]),
        .productCode = static_cast<std::uint32_t>(block[10] | block[11] << 8),
        .serial = static_cast<std::uint32_t>(block[12]) |
                  static_cast<std::uint32_t>(block[13]) << 8 |
                  static_cast<std::uint32_t>(block[14]) << 16 |
                  static_cast<std::uint32_t>(block[15]) << 24,
        .monitorName = readMonitorName(block),
    };
}

}  // namespace orvale::x11
