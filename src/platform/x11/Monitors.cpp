#include "platform/x11/Monitors.h"

namespace orvale::x11 {

std::optional<std::vector<Monitor>> readMonitors(X11Connection& connection, Instant deadline) {
    return collectMonitors(connection, requestMonitors(connection), deadline);
}

std::optional<xcb_randr_get_monitors_cookie_t> requestMonitors(X11Connection& connection) {
    if (!connection.hasMonitors()) return std::nullopt;
    return xcb_randr_get_monitors(connection.raw(), connection.root(), 1);
}

std::optional<std::vector<Monitor>> collectMonitors(
    X11Connection& connection, const std::optional<xcb_randr_get_monitors_cookie_t>& request,
    Instant deadline) {
    if (!request) return std::nullopt;
    auto reply = connection.reply<xcb_randr_get_monitors_reply_t>(*request, deadline);
    if (!reply) return std::nullopt;
    std::vector<Monitor> monitors;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.reply.get()); it.rem > 0;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t& info = *it.data;
        const xcb_randr_output_t* outputs = xcb_randr_monitor_info_outputs(it.data);
        monitors.push_back(Monitor{
            .name = info.name,
            .bounds = {static_cast<double>(info.x), static_cast<double>(info.y),
                       static_cast<double>(info.width), static_cast<double>(info.height)},
            .primary = info.primary != 0,
            .outputs = {outputs, outputs + xcb_randr_monitor_info_outputs_length(it.data)},
        });
    }
    return monitors;
}

const Monitor* primaryMonitor(const std::vector<Monitor>& monitors) {
    for (const Monitor& monitor : monitors) {
        if (monitor.primary) return &monitor;
    }
    return monitors.empty() ? nullptr : &monitors.front();
}

Origin globalOrigin(const std::vector<Monitor>& monitors) {
    const Monitor* primary = primaryMonitor(monitors);
    return primary ? Origin{primary->bounds.x, primary->bounds.y} : Origin{};
}

}  // namespace orvale::x11
