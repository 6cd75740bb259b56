#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/randr.h>

#include "model/Topology.h"
#include "platform/DisplayService.h"
#include "platform/x11/EdidBytes.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XSession.h"

namespace orvale::x11 {
namespace {

using testing::XSession;

std::vector<CurrentDisplay> displaysOf(XSession& session) {
    auto desktop = X11Desktop::open(session.display().c_str());
    if (!desktop) throw std::runtime_error("cannot open " + session.display());
    return DisplayService(desktop->screens()).currentDisplays();
}

// Two monitors side by side on one Xvfb screen; the primary one is on the
// right and shorter, so every coordinate must be shifted to its corner.
std::unique_ptr<XSession> twoMonitorSession() {
    auto session = XSession::startXvfb(2560, 1440);
    session->run({"xrandr", "--setmonitor", "left", "1280/300x1440/200+0+0", "screen"});
    session->run({"xrandr", "--setmonitor", "*right", "1280/300x1000/200+1280+0", "none"});
    return session;
}

TEST(X11ScreensTest, monitorsReadAsDisplaysInOrderInThePrimaryDisplaysSpace) {
    auto session = twoMonitorSession();
    const auto displays = displaysOf(*session);

    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(displays[0].name, "left");
    EXPECT_EQ(displays[0].frame, (RectD{-1280, 0, 1280, 1440}));
    EXPECT_FALSE(displays[0].isPrimary);
    EXPECT_EQ(displays[1].name, "right");
    EXPECT_EQ(displays[1].frame, (RectD{0, 0, 1280, 1000}));
    EXPECT_TRUE(displays[1].isPrimary);
    EXPECT_EQ(displays[1].visibleFrame, displays[1].frame);
    EXPECT_EQ(displays[0].pixelWidth, 1280);
    EXPECT_EQ(displays[0].pixelHeight, 1440);
    // Without EDIDs the identity is all zeros but for the monitor's index;
    // RandR lists the primary monitor first.
    EXPECT_EQ(displays[0].identity, (DisplayIdentity{0, 0, 0, 1}));
    EXPECT_EQ(displays[1].identity, (DisplayIdentity{0, 0, 0, 0}));
    EXPECT_EQ(Topology::signature(displays),
              "0-0-1@-12800,0,12800x14400/1280x1440@10S|0-0-0@0,0,12800x10000/1280x1000@10P");
}

TEST(X11ScreensTest, aDockStrutShrinksOnlyTheMonitorItCovers) {
    auto session = twoMonitorSession();
    xcb_connection_t* c = session->connection().raw();

    // A 30-pixel dock along the top of the right monitor only.
    const xcb_window_t dock = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, dock, session->connection().root(), 1280, 0, 1280,
                      30, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t dockType = session->atom("_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, dock, session->atom("_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &dockType);
    const std::uint32_t strut[12] = {0, 0, 30, 0, 0, 0, 0, 0, 1280, 2559, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, dock, session->atom("_NET_WM_STRUT_PARTIAL"),
                        XCB_ATOM_CARDINAL, 32, 12, strut);
    // Mapped before the window manager starts, which then takes it over with
    // the windows that already exist.
    xcb_map_window(c, dock);
    xcb_flush(c);
    session->startWindowManager();
    ASSERT_TRUE(session->waitUntil([&] {
        const auto managed = session->managedWindows();
        return std::find(managed.begin(), managed.end(), dock) != managed.end() &&
               session->isViewable(dock);
    }));

    const auto displays = displaysOf(*session);
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(displays[0].visibleFrame, displays[0].frame);
    EXPECT_EQ(displays[1].visibleFrame, (RectD{0, 30, 1280, 970}));
    // The visible frame plays no part in the signature.
    EXPECT_EQ(Topology::signature(displays),
              "0-0-1@-12800,0,12800x14400/1280x1440@10S|0-0-0@0,0,12800x10000/1280x1000@10P");
}

// Attaches a made-up EDID to the output called `name`, as a driver would.
void attachEdid(XSession& session, const std::string& name, const std::string& vendor,
                std::uint16_t product, std::uint32_t serial, const std::string& monitorName) {
    X11Connection& connection = session.connection();
    const Instant deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    auto resources = connection.reply<xcb_randr_get_screen_resources_current_reply_t>(
        xcb_randr_get_screen_resources_current(connection.raw(), connection.root()), deadline);
    ASSERT_TRUE(resources);
    const xcb_randr_output_t* outputs =
        xcb_randr_get_screen_resources_current_outputs(resources.reply.get());
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources.reply.get());
    for (int i = 0; i < count; ++i) {
        auto info = connection.reply<xcb_randr_get_output_info_reply_t>(
            xcb_randr_get_output_info(connection.raw(), outputs[i], resources->config_timestamp),
            deadline);
        ASSERT_TRUE(info);
        const std::string outputName(
            reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.reply.get())),
            static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info.reply.get())));
        if (outputName != name) continue;
        const auto edid = testing::makeEdid(vendor, product, serial, monitorName);
        xcb_randr_change_output_property(connection.raw(), outputs[i], connection.edidAtom(),
                                         XCB_ATOM_INTEGER, 8, XCB_PROP_MODE_REPLACE,
                                         static_cast<std::uint32_t>(edid.size()), edid.data());
        // A round trip makes sure the server has stored it.
        ASSERT_TRUE(connection.reply<xcb_get_input_focus_reply_t>(
            xcb_get_input_focus(connection.raw()), deadline));
        return;
    }
    FAIL() << "no output " << name;
}

std::uint32_t pnp(const std::string& letters) {
    return static_cast<std::uint32_t>((letters[0] - 'A' + 1) << 10 | (letters[1] - 'A' + 1) << 5 |
                                      (letters[2] - 'A' + 1));
}

TEST(X11ScreensTest, outputsWithEdidsReadAsDisplaysWithThoseIdentitiesAndGoWhenSwitchedOff) {
    auto session = XSession::startXorgDummy();
    if (!session) {
        if (::getuid() != 0) GTEST_SKIP() << "Xorg with the dummy driver needs root here";
        FAIL() << "Xorg with the dummy driver did not start";
    }
    session->run({"xrandr", "--addmode", "DUMMY1", "1024x768"});
    session->run({"xrandr", "--output", "DUMMY1", "--mode", "1024x768", "--right-of", "DUMMY0"});
    attachEdid(*session, "DUMMY0", "DEL", 0xA0B1, 1234567, "Left Panel");
    attachEdid(*session, "DUMMY1", "GSM", 0x5B7F, 0, "Right Panel");

    const auto both = displaysOf(*session);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].name, "Left Panel");
    EXPECT_EQ(both[0].identity, (DisplayIdentity{pnp("DEL"), 0xA0B1, 1234567, 0}));
    EXPECT_TRUE(both[0].isPrimary);
    EXPECT_EQ(both[0].frame, (RectD{0, 0, 1024, 768}));
    EXPECT_EQ(both[1].name, "Right Panel");
    // Without a serial the key falls back to the output's index.
    EXPECT_EQ(both[1].identity, (DisplayIdentity{pnp("GSM"), 0x5B7F, 0, 1}));
    EXPECT_EQ(both[1].id(), std::to_string(pnp("GSM")) + "-" + std::to_string(0x5B7F) + "-1");
    EXPECT_EQ(both[1].frame, (RectD{1024, 0, 1024, 768}));

    session->run({"xrandr", "--output", "DUMMY1", "--off"});
    const auto one = displaysOf(*session);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].identity, both[0].identity);
    EXPECT_NE(Topology::signature(one), Topology::signature(both));
    EXPECT_EQ(Topology::signature(one), Topology::signature(std::vector{both[0]}));
}

}  // namespace
}  // namespace orvale::x11
