#include "platform/x11/X11WindowServer.h"

#include "platform/x11/Clients.h"
#include "platform/x11/Monitors.h"
#include "platform/x11/WindowGeometry.h"

namespace orvale::x11 {
namespace {

constexpr auto kTimeout = std::chrono::seconds(2);
constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr std::int32_t kDockLayer = 20;
constexpr std::int32_t kOverlayLayer = 101;

}  // namespace

std::optional<std::vector<WindowInfo>> X11WindowServer::onScreenWindows() {
    auto lock = connection_.lock();
    const Instant deadline = std::chrono::steady_clock::now() + kTimeout;
    const auto clients = readClients(connection_, deadline);
    if (!clients) return std::nullopt;
    const xcb_ewmh_connection_t& ewmh = connection_.ewmh();

    std::vector<const Client*> shown;
    std::vector<GeometryRequests> requests;
    for (const Client& client : clients->clients) {
        if (!client.viewable || client.hasState(ewmh._NET_WM_STATE_HIDDEN)) continue;
        if (client.hasType(ewmh._NET_WM_WINDOW_TYPE_DESKTOP)) continue;
        if (client.desktop && *client.desktop != kAllDesktops && clients->currentDesktop &&
            *client.desktop != *clients->currentDesktop) {
            continue;
        }
        shown.push_back(&client);
        requests.push_back(requestGeometry(connection_, client.window));
    }
    const auto monitors = readMonitors(connection_, deadline);
    const Origin origin = globalOrigin(monitors.value_or(std::vector<Monitor>{}));

    std::vector<WindowInfo> windows;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const ValueOr<WindowGeometry> geometry =
            collectGeometry(connection_, requests[i], deadline);
        if (geometry.error == AXErrorCode::cannotComplete) return std::nullopt;
        // A window that closed while the list was read is simply not shown.
        if (!geometry.value) continue;
        const Client& client = *shown[i];
        std::int32_t layer = 0;
        if (client.hasType(ewmh._NET_WM_WINDOW_TYPE_DOCK)) {
            layer = kDockLayer;
        } else if (!isOrdinaryWindow(connection_, client)) {
            layer = kOverlayLayer;
        }
        windows.push_back(WindowInfo{
            .ownerPID = client.pid,
            .number = client.window,
            .layer = layer,
            .alpha = client.opacity.value_or(1.0),
            .bounds = origin.fromRoot(geometry.value->frame()),
        });
    }
    return windows;
}

}  // namespace orvale::x11
