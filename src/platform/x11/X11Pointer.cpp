#include "platform/x11/X11Pointer.h"

namespace orvale::x11 {
namespace {

constexpr auto kTimeout = std::chrono::seconds(2);

// Button1Mask … Button5Mask are consecutive bits in button order, which is
// the port's order from bit 0.
static_assert(XCB_BUTTON_MASK_2 == XCB_BUTTON_MASK_1 << 1 && XCB_BUTTON_MASK_5 == XCB_BUTTON_MASK_1
                                                                                      << 4);
constexpr int kFirstButtonBit = 8;
static_assert(XCB_BUTTON_MASK_1 == 1 << kFirstButtonBit);

}  // namespace

std::optional<std::uint32_t> X11Pointer::pressedButtons() {
    auto lock = connection_.lock();
    const auto reply = connection_.reply<xcb_query_pointer_reply_t>(
        xcb_query_pointer(connection_.raw(), connection_.root()),
        std::chrono::steady_clock::now() + kTimeout);
    if (!reply) return std::nullopt;
    return (std::uint32_t{reply->mask} >> kFirstButtonBit) & 0x1F;
}

}  // namespace orvale::x11
