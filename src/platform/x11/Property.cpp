#include "platform/x11/Property.h"

#include <cstring>

namespace orvale::x11 {
namespace {

constexpr std::uint32_t kMaximumLength = 16384;  // in 32-bit units

}  // namespace

xcb_get_property_cookie_t requestProperty(xcb_connection_t* connection, xcb_window_t window,
                                          xcb_atom_t property) {
    return xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                            kMaximumLength);
}

std::vector<std::uint32_t> values32(const ReplyOr<xcb_get_property_reply_t>& reply) {
    if (!reply || reply->format != 32) return {};
    const int length = xcb_get_property_value_length(reply.reply.get());
    std::vector<std::uint32_t> values(static_cast<std::size_t>(length) / 4);
    if (!values.empty()) {
        std::memcpy(values.data(), xcb_get_property_value(reply.reply.get()), values.size() * 4);
    }
    return values;
}

std::vector<std::uint8_t> bytes(const ReplyOr<xcb_get_property_reply_t>& reply) {
    if (!reply || reply->format != 8) return {};
    const auto* data = static_cast<const std::uint8_t*>(xcb_get_property_value(reply.reply.get()));
    return {data, data + xcb_get_property_value_length(reply.reply.get())};
}

std::vector<std::string> texts(const ReplyOr<xcb_get_property_reply_t>& reply) {
    std::vector<std::string> result;
    std::string current;
    for (std::uint8_t byte : bytes(reply)) {
        if (byte == 0) {
            result.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(static_cast<char>(byte));
        }
    }
    if (!current.empty()) result.push_back(std::move(current));
    return result;
}

}  // namespace orvale::x11
