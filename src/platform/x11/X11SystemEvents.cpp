#include "platform/x11/X11SystemEvents.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/randr.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/x11/Clients.h"
#include "platform/x11/Property.h"

namespace orvale::x11 {

std::unique_ptr<X11SystemEvents> X11SystemEvents::open(const char* displayName,
                                                       std::chrono::milliseconds timeout,
                                                       OpenError* error) {
    // The connection selects property changes and RandR notices on the root
    // as it opens, which is all the events read here.
    auto connection = X11Connection::open(displayName, timeout, error);
    if (!connection) return nullptr;
    const int stop = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop < 0) {
        if (error) *error = OpenError::cannotConnect;
        return nullptr;
    }
    return std::unique_ptr<X11SystemEvents>(new X11SystemEvents(std::move(connection), stop));
}

X11SystemEvents::X11SystemEvents(std::unique_ptr<X11Connection> connection, int stopDescriptor)
    : connection_(std::move(connection)), stopDescriptor_(stopDescriptor) {
    const auto* randr = xcb_get_extension_data(connection_->raw(), &xcb_randr_id);
    if (randr && randr->present) randrFirstEvent_ = randr->first_event;
    owners_ = readOwners().value_or(std::set<std::int32_t>{});
    thread_ = std::thread([this] { run(); });
}

X11SystemEvents::~X11SystemEvents() {
    const std::uint64_t one = 1;
    // Cannot fail short of a closed descriptor: the counter is far from full.
    [[maybe_unused]] const auto written = ::write(stopDescriptor_, &one, sizeof one);
    thread_.join();
    ::close(stopDescriptor_);
}

void X11SystemEvents::run() {
    xcb_connection_t* raw = connection_->raw();
    pollfd descriptors[2] = {{xcb_get_file_descriptor(raw), POLLIN, 0},
                             {stopDescriptor_, POLLIN, 0}};
    for (;;) {
        bool displaysChanged = false, listChanged = false;
        while (XcbPtr<xcb_generic_event_t> event{xcb_poll_for_event(raw)}) {
            const std::uint8_t type = event->response_type & 0x7F;
            if (randrFirstEvent_ != 0 &&
                (type == randrFirstEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                 type == randrFirstEvent_ + XCB_RANDR_NOTIFY)) {
                displaysChanged = true;
            } else if (type == XCB_PROPERTY_NOTIFY) {
                const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(*event);
                listChanged |= notify.window == connection_->root() &&
                               notify.atom == connection_->ewmh()._NET_CLIENT_LIST;
            }
        }
        // A burst of notices for one change is reported once.
        if (displaysChanged) subscribers_.deliver(SystemEvent::displaysChanged);
        if (listChanged) compareOwners();
        if (connection_->isBroken()) return;
        // Reading the list may have queued events that poll() would not see.
        if (listChanged) continue;
        if (::poll(descriptors, 2, -1) < 0 && errno != EINTR) return;
        if (descriptors[1].revents != 0) return;
    }
}

void X11SystemEvents::compareOwners() {
    std::optional<std::set<std::int32_t>> now = readOwners();
    if (!now) return;
    std::vector<std::int32_t> gone;
    for (const std::int32_t pid : owners_) {
        if (!now->contains(pid)) gone.push_back(pid);
    }
    owners_ = std::move(*now);
    for (std::size_t i = 0; i < gone.size(); ++i) {
        subscribers_.deliver(SystemEvent::applicationTerminated);
    }
}

std::optional<std::set<std::int32_t>> X11SystemEvents::readOwners() {
    X11Connection& connection = *connection_;
    const auto lock = connection.lock();
    const Instant deadline = std::chrono::steady_clock::now() + kReadTimeout;
    xcb_ewmh_connection_t& ewmh = connection.ewmh();
    const auto list = connection.reply<xcb_get_property_reply_t>(
        requestProperty(connection.raw(), connection.root(), ewmh._NET_CLIENT_LIST), deadline);
    if (!list && list.error == AXErrorCode::cannotComplete) return std::nullopt;
    const std::vector<std::uint32_t> windows = values32(list);
    // Sent together, so that the whole list costs one round trip.
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const std::uint32_t window : windows) {
        cookies.push_back(requestProperty(connection.raw(), window, ewmh._NET_WM_PID));
    }
    std::set<std::int32_t> owners;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        const auto pid = connection.reply<xcb_get_property_reply_t>(cookies[i], deadline);
        // A missed answer leaves the owners unknown; a window that went
        // meanwhile owns nothing.
        if (!pid && pid.error == AXErrorCode::cannotComplete) return std::nullopt;
        if (!pid) continue;
        // A client that does not name its process stands for itself.
        owners.insert(ownerOf(connection, windows[i], values32(pid)));
    }
    return owners;
}

}  // namespace orvale::x11
