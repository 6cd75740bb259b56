#pragma once

struct xcb_connection_t;

namespace orvale::x11 {

// Whether a compositing manager runs on the screen DISPLAY names: some client
// owns the selection _NET_WM_CM_S<screen>. False when the connection has
// broken or a request fails. Blocks for two round trips on `connection`,
// without a deadline of its own, so it is meant for a connection whose owner
// already waits on the server that way (the toolkit's); libxcb lets any thread
// use it.
bool compositingManagerRunning(xcb_connection_t* connection);

}  // namespace orvale::x11
