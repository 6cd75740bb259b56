#pragma once

struct xcb_connection_t;

namespace orvale::x11 {

// Whether a compositing manager runs on the screen DISPLAY names: some client
// owns the selection _NET_WM_CM_S<screen>. False when the server does not
// answer. Blocks for two round trips on `connection`, which may be any
// thread's (libxcb is thread-safe), such as the toolkit's own.
bool compositingManagerRunning(xcb_connection_t* connection);

}  // namespace orvale::x11
