#include "platform/x11/X11Screens.h"

#include <xcb/randr.h>

#include <algorithm>

#include "platform/x11/Edid.h"
#include "platform/x11/Monitors.h"
#include "platform/x11/Property.h"
#include "platform/x11/Struts.h"

namespace orvale::x11 {
namespace {

constexpr auto kTimeout = std::chrono::seconds(2);
constexpr std::uint32_t kEdidLength = 64;  // in 32-bit units: a base block and an extension

std::optional<Edid> readEdid(X11Connection& connection, xcb_randr_output_t output,
                             Instant deadline) {
    auto reply = connection.reply<xcb_randr_get_output_property_reply_t>(
        xcb_randr_get_output_property(connection.raw(), output, connection.edidAtom(),
                                      XCB_GET_PROPERTY_TYPE_ANY, 0, kEdidLength, 0, 0),
        deadline);
    if (!reply || reply->format != 8) return std::nullopt;
    const std::uint8_t* data = xcb_randr_get_output_property_data(reply.reply.get());
    return Edid::parse({data, static_cast<std::size_t>(
                                  xcb_randr_get_output_property_data_length(reply.reply.get()))});
}

std::string atomName(X11Connection& connection, xcb_atom_t atom, Instant deadline) {
    auto reply = connection.reply<xcb_get_atom_name_reply_t>(
        xcb_get_atom_name(connection.raw(), atom), deadline);
    if (!reply) return {};
    return {xcb_get_atom_name_name(reply.reply.get()),
            static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.reply.get()))};
}

}  // namespace

ScreenList X11Screens::screens() {
    auto lock = connection_.lock();
    const Instant deadline = std::chrono::steady_clock::now() + kTimeout;
    const auto rootGeometry = connection_.reply<xcb_get_geometry_reply_t>(
        xcb_get_geometry(connection_.raw(), connection_.root()), deadline);
    const auto resources = connection_.reply<xcb_randr_get_screen_resources_current_reply_t>(
        xcb_randr_get_screen_resources_current(connection_.raw(), connection_.root()), deadline);
    const auto workAreas = connection_.reply<xcb_get_property_reply_t>(
        requestProperty(connection_.raw(), connection_.root(), connection_.ewmh()._NET_WORKAREA),
        deadline);
    const auto currentDesktop = connection_.reply<xcb_get_property_reply_t>(
        requestProperty(connection_.raw(), connection_.root(),
                        connection_.ewmh()._NET_CURRENT_DESKTOP),
        deadline);
    const auto monitors = readMonitors(connection_, deadline);
    if (!monitors || monitors->empty() || !rootGeometry) return {};

    std::vector<xcb_randr_output_t> outputs;
    if (resources) {
        const xcb_randr_output_t* first =
            xcb_randr_get_screen_resources_current_outputs(resources.reply.get());
        outputs.assign(first, first + xcb_randr_get_screen_resources_current_outputs_length(
                                          resources.reply.get()));
    }
    const std::vector<Strut> struts =
        readStruts(connection_, deadline).value_or(std::vector<Strut>{});
    // The work area is one rectangle for all monitors together, so it says
    // something about a monitor only when there is just one.
    std::optional<RectD> workArea;
    const auto areas = values32(workAreas);
    const auto desktops = values32(currentDesktop);
    const std::size_t desktop = desktops.empty() ? 0 : desktops.front();
    if (monitors->size() == 1 && desktop < areas.size() / 4) {
        const std::uint32_t* area = &areas[desktop * 4];
        workArea = RectD{double(area[0]), double(area[1]), double(area[2]), double(area[3])};
    }

    const Monitor& primary = *primaryMonitor(*monitors);
    const Origin origin = globalOrigin(*monitors);
    const SizeD rootSize{double(rootGeometry->width), double(rootGeometry->height)};
    ScreenList list{
        .mainDisplayID = primary.name, .mainDisplayHeight = primary.bounds.height, .screens = {}};
    for (std::size_t index = 0; index < monitors->size(); ++index) {
        const Monitor& monitor = (*monitors)[index];
        ScreenInfo screen;
        // The name atom stays the same while the monitor exists and differs
        // between monitors, as a display identifier must.
        screen.displayID = monitor.name;
        screen.frame = flippedVertically(origin.fromRoot(monitor.bounds), primary.bounds.height);
        RectD visible = visibleArea(monitor.bounds, rootSize, struts);
        if (workArea) visible = withinWorkArea(visible, *workArea);
        screen.visibleFrame = flippedVertically(origin.fromRoot(visible), primary.bounds.height);
        screen.backingScaleFactor = 1;
        screen.pixelWidth = static_cast<std::int64_t>(monitor.bounds.width);
        screen.pixelHeight = static_cast<std::int64_t>(monitor.bounds.height);
        screen.identity.unit = static_cast<std::uint32_t>(index);
        std::optional<Edid> edid;
        if (!monitor.outputs.empty()) {
            const xcb_randr_output_t output = monitor.outputs.front();
            edid = readEdid(connection_, output, deadline);
            if (edid) {
                const auto position = std::find(outputs.begin(), outputs.end(), output);
                screen.identity = {
                    .vendor = edid->vendor,
                    .model = edid->productCode,
                    .serial = edid->serial,
                    .unit = static_cast<std::uint32_t>(position - outputs.begin()),
                };
            }
        }
        screen.localizedName = edid && edid->monitorName
                                   ? *edid->monitorName
                                   : atomName(connection_, monitor.name, deadline);
        list.screens.push_back(std::move(screen));
    }
    return list;
}

}  // namespace orvale::x11
