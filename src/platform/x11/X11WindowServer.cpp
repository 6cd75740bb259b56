#include "platform/x11/X11WindowServer.h"

#include "platform/x11/Clients.h"

namespace orvale::x11 {
namespace {

constexpr auto kTimeout = std::chrono::seconds(2);
constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr std::int32_t kDockLayer = 20;
constexpr std::int32_t kOverlayLayer = 101;

}  // namespace

std::optional<std::vector<WindowInfo>> X11WindowServer::onScreenWindows() {
    auto lock = connection_.lock();
    const auto desk = readings_.desk(std::chrono::steady_clock::now() + kTimeout);
    if (!desk) return std::nullopt;
    const xcb_ewmh_connection_t& ewmh = connection_.ewmh();

    std::vector<WindowInfo> windows;
    for (const auto& [client, geometry] : desk->clients) {
        if (!client.viewable || client.hasState(ewmh._NET_WM_STATE_HIDDEN)) continue;
        if (client.hasType(ewmh._NET_WM_WINDOW_TYPE_DESKTOP)) continue;
        if (client.desktop && *client.desktop != kAllDesktops && desk->currentDesktop &&
            *client.desktop != *desk->currentDesktop) {
            continue;
        }
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
            .bounds = desk->origin.fromRoot(geometry.frame()),
        });
    }
    return windows;
}

}  // namespace orvale::x11
