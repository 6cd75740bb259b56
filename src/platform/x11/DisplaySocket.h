#pragma once

#include <xcb/xcb.h>

#include <chrono>

namespace orvale::x11 {

using Instant = std::chrono::steady_clock::time_point;

// Why no connection to a display could be had.
enum class OpenError {
    // No display name, no server at it, or the server refused the client.
    cannotConnect,
    // The server took the connection but did not answer by the deadline, as
    // while another client holds a server grab.
    notAnswering,
};

// A connection to an X server, set up by `deadline`.
struct SetUpConnection {
    // Null on failure.
    xcb_connection_t* connection = nullptr;
    int screenNumber = 0;
    OpenError error = OpenError::cannotConnect;
};

// Connects to `displayName` ($DISPLAY when null) like xcb_connect, but bounded
// by `deadline`: xcb_connect waits for the server's setup reply without end.
// The socket is connected here (the local socket, abstract then in
// /tmp/.X11-unix, or TCP port 6000 + n for a host name, whose look-up the
// system resolver does not bound) with the MIT-MAGIC-COOKIE-1 entry that
// libXau finds for it in the authority file, and handed to
// xcb_connect_to_fd on a thread of its own; at the deadline the socket is
// shut down under it, which ends its wait, and the thread is joined before
// this returns. Blocks the caller until then at most.
SetUpConnection connectBounded(const char* displayName, Instant deadline);

}  // namespace orvale::x11
