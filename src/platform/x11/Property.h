#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// Asks for a whole property (up to 64 KiB, which every property read here fits).
xcb_get_property_cookie_t requestProperty(xcb_connection_t* connection, xcb_window_t window,
                                          xcb_atom_t property);

// The values of a 32-bit property (cardinals, atoms, windows); empty when the
// property is missing or has another format.
std::vector<std::uint32_t> values32(const ReplyOr<xcb_get_property_reply_t>& reply);

// The bytes of an 8-bit property; empty when missing or of another format.
std::vector<std::uint8_t> bytes(const ReplyOr<xcb_get_property_reply_t>& reply);

// The NUL-separated texts of an 8-bit property such as WM_CLASS.
std::vector<std::string> texts(const ReplyOr<xcb_get_property_reply_t>& reply);

}  // namespace orvale::x11
