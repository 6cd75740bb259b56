#include "platform/x11/EventThread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/xcbext.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace orvale::x11 {

xcb_window_t rootOf(xcb_connection_t* connection, int screenNumber) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    return screens.rem > 0 ? screens.data->root : XCB_NONE;
}

bool awaitReply(xcb_connection_t* connection, unsigned int sequence, Instant deadline, void** reply,
                xcb_generic_error_t** error) {
    *reply = nullptr;
    *error = nullptr;
    xcb_flush(connection);
    const pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
    for (;;) {
        if (xcb_poll_for_reply(connection, sequence, reply, error)) return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (xcb_connection_has_error(connection) || left.count() <= 0) {
            xcb_discard_reply(connection, sequence);
            return false;
        }
        pollfd descriptor = readable;
        ::poll(&descriptor, 1, static_cast<int>(left.count()));
    }
}

bool sync(xcb_connection_t* connection, Instant deadline) {
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    const bool answered =
        awaitReply(connection, xcb_get_input_focus(connection).sequence, deadline, &reply, &error);
    std::free(reply);
    std::free(error);
    return answered;
}

EventThread::EventThread(xcb_connection_t* connection, std::mutex& lock, Handler handler)
    : connection_(connection),
      lock_(lock),
      handler_(std::move(handler)),
      wakeDescriptor_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      thread_([this] { run(); }) {}

EventThread::~EventThread() {
    stopping_ = true;
    if (wakeDescriptor_ >= 0) {
        wake();
    } else {
        // Without a descriptor to wake it by, ending the connection does.
        ::shutdown(xcb_get_file_descriptor(connection_), SHUT_RDWR);
    }
    thread_.join();
    if (wakeDescriptor_ >= 0) ::close(wakeDescriptor_);
}

void EventThread::wake() {
    const std::uint64_t one = 1;
    // Cannot fail short of a closed descriptor: the counter is far from full.
    [[maybe_unused]] const auto written = ::write(wakeDescriptor_, &one, sizeof one);
}

void EventThread::run() {
    pollfd descriptors[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0},
                             {wakeDescriptor_, POLLIN, 0}};
    for (;;) {
        Events events;
        bool broken = false;
        {
            std::lock_guard lock(lock_);
            while (XcbPtr<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
                events.push_back(std::move(event));
            }
            broken = xcb_connection_has_error(connection_) != 0;
        }
        if (!events.empty()) handler_(events);
        if (broken || stopping_) return;
        // The handler may have waited for answers; events that came in
        // meanwhile wait in libxcb's queue, where poll() does not see them.
        if (!events.empty()) continue;
        if (::poll(descriptors, 2, -1) < 0 && errno != EINTR) return;
        if (descriptors[1].revents != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto read = ::read(wakeDescriptor_, &count, sizeof count);
        }
    }
}

}  // namespace orvale::x11
