#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/randr.h>

#include "model/Topology.h"
#include "platform/x11/CapturedLayout.h"
#include "platform/x11/EdidBytes.h"
#include "platform/x11/Property.h"
#include "platform/x11/XSession.h"

namespace orvale::x11 {
namespace {

using testing::WindowManager;
using testing::XSession;

std::vector<CurrentDisplay> displaysOf(XSession& session) {
    return testing::ReadDesktop(session).displays;
}

// Attaches made-up EDIDs to the first outputs in turn, as a driver would.
void attachEdids(XSession& session, const std::vector<std::array<std::uint8_t, 128>>& edids) {
    X11Connection& connection = session.connection();
    const auto resources = connection.reply<xcb_randr_get_screen_resources_current_reply_t>(
        xcb_randr_get_screen_resources_current(connection.raw(), connection.root()),
        std::chrono::steady_clock::now() + std::chrono::seconds(10));
    ASSERT_TRUE(resources);
    const xcb_randr_output_t* outputs =
        xcb_randr_get_screen_resources_current_outputs(resources.reply.get());
    for (std::size_t i = 0; i < edids.size(); ++i) {
        xcb_randr_change_output_property(connection.raw(), outputs[i], connection.edidAtom(),
                                         XCB_ATOM_INTEGER, 8, XCB_PROP_MODE_REPLACE, 128,
                                         edids[i].data());
    }
    session.cardinals(session.root(), "_NET_SUPPORTED");  // a round trip: they are stored
}

// The first window below the root whose text `property` reads `text`.
xcb_window_t findWindow(XSession& session, const std::string& property, const std::string& text) {
    X11Connection& connection = session.connection();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::vector<xcb_window_t> pending{session.root()};
    while (!pending.empty()) {
        const xcb_window_t window = pending.back();
        pending.pop_back();
        const auto texts = x11::texts(connection.reply<xcb_get_property_reply_t>(
            requestProperty(connection.raw(), window, session.atom(property)), until));
        if (!texts.empty() && texts.front() == text) return window;
        const auto tree = connection.reply<xcb_query_tree_reply_t>(
            xcb_query_tree(connection.raw(), window), until);
        if (!tree) continue;
        const xcb_window_t* children = xcb_query_tree_children(tree.reply.get());
        pending.insert(pending.end(), children,
                       children + xcb_query_tree_children_length(tree.reply.get()));
    }
    return XCB_NONE;
}

// A panel that the window manager draws itself is left out of the visible
// frame: icewm's taskbar, a window below the manager's own frames and not a
// managed client, by its strut (on two monitors, where the one work area
// speaks for neither), and fluxbox's toolbar, which sets no strut, by the work
// area of its single monitor.
TEST(X11ScreensTest, panelsDrawnByTheWindowManagerAreLeftOutOfTheVisibleFrame) {
    const struct {
        WindowManager manager;
        int width;
        std::string property, name;
    } cases[] = {
        {WindowManager::icewm, 2560, "WM_NAME", "TaskBar"},
        {WindowManager::fluxbox, 1280, "WM_WINDOW_ROLE", "fluxbox-toolbar"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto session = XSession::startXvfb(c.width, 1024);
        if (c.width > 1280) {
            session->run({"xrandr", "--setmonitor", "left", "1280/300x1024/200+0+0", "screen"});
            session->run({"xrandr", "--setmonitor", "*right", "1280/300x1024/200+1280+0", "none"});
        }
        session->startWindowManager(c.manager);
        xcb_window_t panel = XCB_NONE;
        // Done once the manager's work area, which it derives last, leaves the panel out.
        ASSERT_TRUE(session->waitUntil([&] {
            panel = findWindow(*session, c.property, c.name);
            const auto area = session->cardinals(session->root(), "_NET_WORKAREA");
            return panel != XCB_NONE && session->isViewable(panel) && area.size() >= 4 &&
                   area[3] < 1024;
        }));
        const RectD bar = testing::toolsGeometry(*session, panel);
        ASSERT_EQ(bar.y + bar.height, 1024);

        const auto displays = displaysOf(*session);
        const auto primary = std::find_if(displays.begin(), displays.end(),
                                          [](const CurrentDisplay& d) { return d.isPrimary; });
        ASSERT_NE(primary, displays.end());
        EXPECT_EQ(primary->frame, (RectD{0, 0, 1280, 1024}));
        EXPECT_EQ(primary->visibleFrame, (RectD{0, 0, 1280, bar.y}));
    }
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
    attachEdids(*session, {testing::makeEdid("DEL", 0xA0B1, 1234567, "Left Panel"),
                           testing::makeEdid("GSM", 0x5B7F, 0, "Right Panel")});

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
