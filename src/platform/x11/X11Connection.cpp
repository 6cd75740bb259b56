#include "platform/x11/X11Connection.h"

#include <poll.h>
#include <xcb/randr.h>
#include <xcb/xcbext.h>

#include <array>
#include <string_view>

namespace orvale::x11 {
namespace {}  // namespace

AXError errorFor(const xcb_generic_error_t& error) {
    switch (error.error_code) {
        case XCB_WINDOW:
        case XCB_DRAWABLE:
            return AXErrorCode::invalidUIElement;
        case XCB_VALUE:
        case XCB_MATCH:
            return AXErrorCode::illegalArgument;
        default:
            return AXErrorCode::failure;
    }
}

std::unique_ptr<X11Connection> X11Connection::open(const char* displayName,
                                                   std::chrono::milliseconds timeout,
                                                   OpenError* error) {
    OpenError ignored{};
    OpenError& why = error ? *error : ignored;
    const Instant deadline = std::chrono::steady_clock::now() + timeout;
    const SetUpConnection setUp = connectBounded(displayName, deadline);
    why = setUp.error;
    if (!setUp.connection) return nullptr;
    xcb_connection_t* connection = setUp.connection;
    const int screenNumber = setUp.screenNumber;
    std::unique_ptr<X11Connection> result(new X11Connection(connection, screenNumber));
    why = OpenError::cannotConnect;

    const xcb_setup_t* setup = xcb_get_setup(connection);
    result->resourceMask_ = setup->resource_id_mask;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) return nullptr;
    result->root_ = screens.data->root;

    constexpr std::array<std::string_view, 4> names = {"EDID", "_GTK_FRAME_EXTENTS",
                                                       "_NET_WM_WINDOW_OPACITY", "WM_STATE"};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        cookies[i] = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(names[i].size()),
                                     names[i].data());
    }
    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(connection, &result->ewmh_);
    // libxcb-ewmh and the extension data wait for their replies without a
    // bound; once a later reply is in, theirs are too, and nothing waits.
    xcb_prefetch_extension_data(connection, &xcb_randr_id);
    if (!result->reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(connection), deadline)) {
        if (!result->isBroken()) why = OpenError::notAnswering;
        // Collecting the EWMH replies would wait for them. The connection
        // goes now, and the destructor's wipe frees what the request took.
        std::free(ewmhCookies);
        result->ewmhReady_ = true;
        return nullptr;
    }
    std::array<xcb_atom_t*, names.size()> targets = {&result->edid_, &result->gtkFrameExtents_,
                                                     &result->opacity_, &result->wmState_};
    bool complete = true;
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto atom = result->reply<xcb_intern_atom_reply_t>(cookies[i], deadline);
        if (atom) {
            *targets[i] = atom->atom;
        } else {
            complete = false;
        }
    }
    // A failed collection wipes the EWMH atoms itself.
    result->ewmhReady_ = xcb_ewmh_init_atoms_replies(&result->ewmh_, ewmhCookies, nullptr) != 0;
    if (!result->ewmhReady_ || !complete || result->isBroken()) return nullptr;

    // The window manager's announcement and the managed list live on the
    // root; their changes then arrive as events that make readings stale.
    const std::uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, result->root_, XCB_CW_EVENT_MASK, &rootEvents);

    // Monitors need RandR 1.5; the server only answers the newer requests once
    // the client has said which version it speaks.
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(connection, &xcb_randr_id);
    if (randr && randr->present) {
        auto version = result->reply<xcb_randr_query_version_reply_t>(
            xcb_randr_query_version(connection, 1, 5), deadline);
        result->hasMonitors_ =
            version && (version->major_version > 1 || version->minor_version >= 5);
        // Display changes then arrive as events, which make every reading stale.
        xcb_randr_select_input(connection, result->root_,
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    }
    return result;
}

X11Connection::X11Connection(xcb_connection_t* connection, int screenNumber)
    : connection_(connection), screenNumber_(screenNumber) {}

X11Connection::~X11Connection() {
    if (ewmhReady_) xcb_ewmh_connection_wipe(&ewmh_);
    xcb_disconnect(connection_);
}

void X11Connection::countRoundTrip() {
    // Counted whether or not the answer is already in: a fast server's reply
    // may have been read along with an earlier event.
    xcb_flush(connection_);
    if (const std::uint64_t written = xcb_total_written(connection_);
        written != writtenAtLastWait_) {
        writtenAtLastWait_ = written;
        ++roundTrips_;
    }
}

bool X11Connection::awaitReadable(Instant deadline) {
    const auto remaining = deadline - std::chrono::steady_clock::now();
    if (remaining <= std::chrono::steady_clock::duration::zero()) return false;
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
    pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
    return ::poll(&descriptor, 1, static_cast<int>(milliseconds)) > 0;
}

AXError X11Connection::awaitReply(unsigned int sequence, Instant deadline, void** reply) {
    *reply = nullptr;
    countRoundTrip();
    for (;;) {
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection_, sequence, reply, &error)) {
            if (error) {
                const AXError code = errorFor(*error);
                std::free(error);
                std::free(*reply);
                *reply = nullptr;
                return code;
            }
            return *reply ? AXErrorCode::success : AXErrorCode::failure;
        }
        if (isBroken()) return AXErrorCode::cannotComplete;
        if (std::chrono::steady_clock::now() >= deadline) {
            xcb_discard_reply(connection_, sequence);
            return AXErrorCode::cannotComplete;
        }
        awaitReadable(deadline);
    }
}

bool X11Connection::waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& accept,
                                 Instant deadline) {
    countRoundTrip();
    for (;;) {
        while (XcbPtr<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
            note(*event);
            if (accept(*event)) return true;
        }
        if (isBroken() || !awaitReadable(deadline)) return false;
    }
}

void X11Connection::dropPendingEvents() {
    mark();
}

std::optional<xcb_configure_notify_event_t> X11Connection::placementSince(
    xcb_window_t window, std::uint64_t since) const {
    const auto found = lastPlacementOf_.find(window);
    if (found == lastPlacementOf_.end() || found->second.event <= since) return std::nullopt;
    return found->second.notice;
}

std::uint64_t X11Connection::mark() {
    while (XcbPtr<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) note(*event);
    return eventsSeen_;
}

bool X11Connection::unchangedSince(xcb_window_t window, std::uint64_t since) const {
    const auto found = lastEventFor_.find(window);
    return lastGlobalEvent_ <= since && (found == lastEventFor_.end() || found->second <= since);
}

bool X11Connection::listUnchangedSince(std::uint64_t since) const {
    return unchangedSince(root_, since) && lastListEvent_ <= since;
}

void X11Connection::note(const xcb_generic_event_t& event) {
    ++eventsSeen_;
    // Keeps the map small; forgetting makes every earlier reading stale.
    if (lastEventFor_.size() + lastPlacementOf_.size() > 4096) {
        lastEventFor_.clear();
        lastPlacementOf_.clear();
        lastGlobalEvent_ = eventsSeen_;
    }
    xcb_window_t window = XCB_NONE;
    switch (event.response_type & 0x7F) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto& notice = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
            if (event.response_type & 0x80) {
                lastPlacementOf_[notice.window] = {notice, eventsSeen_};
                return;
            }
            window = notice.window;
            break;
        }
        case XCB_DESTROY_NOTIFY:
            window = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
            break;
        case XCB_UNMAP_NOTIFY:
            window = reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
            break;
        case XCB_MAP_NOTIFY:
            window = reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
            break;
        case XCB_REPARENT_NOTIFY:
            window = reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window;
            break;
        case XCB_CLIENT_MESSAGE:
            // Requests to the window manager, ours included (they are sent to
            // the root, where we listen): what they change arrives as other events.
            return;
        case XCB_PROPERTY_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            window = notify.window;
            // Of the root's properties only these change what a reading of a
            // window says; focus and stacking change all the time and are left
            // out. Stacking and the current desktop change only the list.
            if (window == root_ && (notify.atom == ewmh_._NET_CLIENT_LIST_STACKING ||
                                    notify.atom == ewmh_._NET_CURRENT_DESKTOP)) {
                lastListEvent_ = eventsSeen_;
                return;
            }
            if (window == root_ && notify.atom != ewmh_._NET_CLIENT_LIST &&
                notify.atom != ewmh_._NET_SUPPORTING_WM_CHECK &&
                notify.atom != ewmh_._NET_SUPPORTED) {
                return;
            }
            break;
        }
        default:
            // Errors, display changes and anything unforeseen: nothing read
            // before can be trusted.
            break;
    }
    if (window == XCB_NONE || window == root_) {
        lastGlobalEvent_ = eventsSeen_;
    } else {
        lastEventFor_[window] = eventsSeen_;
    }
}

}  // namespace orvale::x11
