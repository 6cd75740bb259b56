#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/x11/DisplaySocket.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// A plain connection of its own, for a class that reads events: it selects
// nothing until its owner does.
struct ConnectionCloser {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using OwnConnection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

// The root window of `screenNumber`, or none when the server has no such screen.
xcb_window_t rootOf(xcb_connection_t* connection, int screenNumber);

// Waits for the reply or error to request `sequence` until `deadline`; false
// when none came by then or the connection broke. A request without a reply
// counts as answered once a later request's reply is in. The reply and the
// error (either may stay null) are the caller's to free.
bool awaitReply(xcb_connection_t* connection, unsigned int sequence, Instant deadline, void** reply,
                xcb_generic_error_t** error);

// Sends what is queued and waits for the server to have handled it, until
// `deadline`; false when it did not answer by then.
bool sync(xcb_connection_t* connection, Instant deadline);

// Reads the events of one connection on a thread of its own and hands them
// over in batches: all that had arrived when the thread looked.
//
// Threads: the handler runs on the thread, without `lock`; it may take it
// and wait for answers itself.
// Other threads that send requests and wait for answers do so under `lock`;
// events that arrive meanwhile wait in libxcb's queue, where the thread does
// not see them, until the sender calls `wake`. A lost connection ends the
// thread quietly. Ownership: the connection, the lock and what the handler
// uses must outlive this object; its destruction returns once the thread has
// ended, so call it from another thread.
class EventThread {
  public:
    using Events = std::vector<XcbPtr<xcb_generic_event_t>>;
    using Handler = std::function<void(Events&)>;

    EventThread(xcb_connection_t* connection, std::mutex& lock, Handler handler);
    ~EventThread();
    EventThread(const EventThread&) = delete;
    EventThread& operator=(const EventThread&) = delete;

    void wake();

  private:
    void run();

    xcb_connection_t* connection_;
    std::mutex& lock_;
    Handler handler_;
    // An eventfd that wakes the thread.
    int wakeDescriptor_;
    std::atomic<bool> stopping_ = false;
    // Last, so that it starts once the rest is in place.
    std::thread thread_;
};

}  // namespace orvale::x11
