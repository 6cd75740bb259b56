#include "platform/x11/ClientReadings.h"

#include <algorithm>

#include "platform/x11/Property.h"

namespace orvale::x11 {
namespace {

// However quiet the event stream, a reading is not reused for longer than
// this, in case a window manager changes something without saying so.
constexpr auto kReadingLifetime = std::chrono::milliseconds(100);

constexpr std::uint32_t kClientEvents =
    XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;

struct Requests {
    ClientRequests client;
    GeometryRequests geometry;
};

Requests requestReading(X11Connection& connection, xcb_window_t window) {
    // Selected before reading, so that any later change shows up as an event.
    xcb_change_window_attributes(connection.raw(), window, XCB_CW_EVENT_MASK, &kClientEvents);
    return {requestClient(connection, window), requestGeometry(connection, window)};
}

ValueOr<ClientReading> collectReading(X11Connection& connection, const Requests& requests,
                                      Instant deadline) {
    ValueOr<Client> client = collectClient(connection, requests.client, deadline);
    const ValueOr<WindowGeometry> geometry =
        collectGeometry(connection, requests.geometry, deadline);
    if (!client.value) return {std::nullopt, client.error};
    if (!geometry.value) return {std::nullopt, geometry.error};
    return {ClientReading{std::move(*client.value), *geometry.value}, AXErrorCode::success};
}

}  // namespace

bool ClientReadings::isYoung(Instant taken) const {
    return std::chrono::steady_clock::now() - taken < kReadingLifetime;
}

bool ClientReadings::isFresh(xcb_window_t window, Reading<ClientReading>& reading) {
    if (!connection_.unchangedSince(window, reading.events)) return false;
    // Another client's move shows up as the window manager's notice, which
    // updates the reading instead of making it stale.
    if (const auto notice = connection_.placementSince(window, reading.events)) {
        reading.value.geometry = toldBy(*notice, reading.value.geometry);
        reading.events = eventsNoted_;
        reading.taken = std::chrono::steady_clock::now();
    }
    return isYoung(reading.taken);
}

AXError ClientReadings::refresh(Instant deadline) {
    // Taken before anything is sent: whatever happens while the replies are
    // on their way makes the new readings stale.
    const std::uint64_t mark = eventsNoted_ = connection_.mark();
    const Instant now = std::chrono::steady_clock::now();
    const bool listFresh =
        list_ && isYoung(list_->taken) && connection_.listUnchangedSince(list_->events);
    // Asking after every window costs nothing while no event has come in.
    if (listFresh && mark == allFreshAt_ && isYoung(oldestTaken_)) return AXErrorCode::success;
    allFreshAt_ = kNever;

    std::vector<std::pair<xcb_window_t, Requests>> pending;
    const auto requestIfStale = [&](xcb_window_t window) {
        const auto found = clients_.find(window);
        if (found != clients_.end() && isFresh(window, found->second)) return;
        const bool requested = std::any_of(pending.begin(), pending.end(),
                                           [&](const auto& p) { return p.first == window; });
        if (!requested) pending.emplace_back(window, requestReading(connection_, window));
    };

    AXError error = AXErrorCode::success;
    if (listFresh) {
        for (xcb_window_t window : list_->value.windows) requestIfStale(window);
    } else {
        const xcb_ewmh_connection_t& ewmh = connection_.ewmh();
        const auto stacking =
            requestProperty(connection_.raw(), connection_.root(), ewmh._NET_CLIENT_LIST_STACKING);
        const auto desktop =
            requestProperty(connection_.raw(), connection_.root(), ewmh._NET_CURRENT_DESKTOP);
        const auto monitors = requestMonitors(connection_);
        // The windows the last list named are asked along with the lists;
        // only windows new to it cost a second round trip.
        if (list_) {
            for (xcb_window_t window : list_->value.windows) requestIfStale(window);
        }
        const auto stackingReply = connection_.reply<xcb_get_property_reply_t>(stacking, deadline);
        const auto desktopReply = connection_.reply<xcb_get_property_reply_t>(desktop, deadline);
        const auto monitorList = collectMonitors(connection_, monitors, deadline);
        if (stackingReply && desktopReply) {
            List list;
            // The stacking list runs bottom to top.
            list.windows = values32(stackingReply);
            std::reverse(list.windows.begin(), list.windows.end());
            if (const auto values = values32(desktopReply); !values.empty()) {
                list.currentDesktop = values.front();
            }
            list.origin = globalOrigin(monitorList.value_or(std::vector<Monitor>{}));
            list_ = Reading<List>{std::move(list), mark, now};
            for (xcb_window_t window : list_->value.windows) requestIfStale(window);
        } else {
            list_.reset();
            error = AXErrorCode::cannotComplete;
        }
    }

    // Every reply is collected, so none is left queued.
    for (const auto& [window, requests] : pending) {
        ValueOr<ClientReading> reading = collectReading(connection_, requests, deadline);
        if (reading.value) {
            clients_[window] = {std::move(*reading.value), mark, now};
            continue;
        }
        // A window that closed while it was read is simply not there.
        clients_.erase(window);
        if (reading.error == AXErrorCode::cannotComplete) error = AXErrorCode::cannotComplete;
    }
    if (error == AXErrorCode::success) {
        allFreshAt_ = mark;
        oldestTaken_ = now;
        for (xcb_window_t window : list_->value.windows) {
            const auto found = clients_.find(window);
            if (found != clients_.end()) oldestTaken_ = std::min(oldestTaken_, found->second.taken);
        }
        oldestTaken_ = std::min(oldestTaken_, list_->taken);
    }
    if (list_ && clients_.size() > list_->value.windows.size()) {
        const auto& listed = list_->value.windows;
        std::erase_if(clients_, [&](const auto& entry) {
            return std::find(listed.begin(), listed.end(), entry.first) == listed.end();
        });
    }
    return error;
}

std::optional<DeskReading> ClientReadings::desk(Instant deadline) {
    if (refresh(deadline) != AXErrorCode::success) return std::nullopt;
    DeskReading desk;
    desk.currentDesktop = list_->value.currentDesktop;
    desk.origin = list_->value.origin;
    for (xcb_window_t window : list_->value.windows) {
        if (const auto found = clients_.find(window); found != clients_.end()) {
            desk.clients.push_back(found->second.value);
        }
    }
    return desk;
}

AXError ClientReadings::client(xcb_window_t window, Instant deadline, ClientReading& reading,
                               Origin& origin) {
    if (const AXError error = refresh(deadline); error) return error;
    const auto& listed = list_->value.windows;
    const auto found = clients_.find(window);
    if (found == clients_.end() ||
        std::find(listed.begin(), listed.end(), window) == listed.end()) {
        return AXErrorCode::invalidUIElement;
    }
    reading = found->second.value;
    origin = list_->value.origin;
    return AXErrorCode::success;
}

void ClientReadings::remember(xcb_window_t window, const ClientReading& reading) {
    clients_[window] = {reading, eventsNoted_ = connection_.mark(),
                        std::chrono::steady_clock::now()};
}

}  // namespace orvale::x11
