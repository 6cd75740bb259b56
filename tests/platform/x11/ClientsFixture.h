#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/x11/X11Desktop.h"
#include "platform/x11/XSession.h"

namespace orvale::testing {

// Xvfb with two monitors, openbox, and an xterm, an xclock and an xlogo on
// the primary monitor, read through the X11 backend.
// The primary monitor is on the right, so the global space starts at root x 1280.
inline constexpr double kOriginX = 1280;

class ClientsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        session = XSession::startXvfb(2560, 1440);
        session->run({"xrandr", "--setmonitor", "left", "1280/300x1440/200+0+0", "screen"});
        session->run({"xrandr", "--setmonitor", "*right", "1280/300x1440/200+1280+0", "none"});
        session->startWindowManager();
        xterm = session->startClient({"xterm", "-geometry", "80x24+1400+100"}, "orvale-xterm");
        xclock = session->startClient({"xclock", "-geometry", "200x180+1800+300"}, "orvale-xclock");
        xlogo = session->startClient({"xlogo", "-geometry", "150x150+1500+700"}, "orvale-xlogo");
        desktop = x11::X11Desktop::open(session->display().c_str());
        ASSERT_TRUE(desktop);
    }

    RectD frameOf(xcb_window_t window) {
        Accessibility& ax = desktop->accessibility();
        const AXElement element{0, window};
        const AXResult position = ax.copyAttributeValue(element, AXAttribute::position, 2.0);
        const AXResult size = ax.copyAttributeValue(element, AXAttribute::size, 2.0);
        EXPECT_EQ(position.error, AXErrorCode::success);
        EXPECT_EQ(size.error, AXErrorCode::success);
        const auto* point = std::get_if<AXPoint>(&position.value);
        const auto* extent = std::get_if<AXSize>(&size.value);
        if (!point || !extent) return {};
        return {point->x, point->y, extent->width, extent->height};
    }

    std::optional<WindowInfo> onScreen(xcb_window_t window) {
        const auto windows = desktop->windowServer().onScreenWindows();
        if (!windows) return std::nullopt;
        for (const WindowInfo& info : *windows) {
            if (info.number == window) return info;
        }
        return std::nullopt;
    }

    std::int32_t pidOf(xcb_window_t window) { return onScreen(window).value().ownerPID.value(); }

    bool hasState(xcb_window_t window, const std::string& state) {
        const auto states = session->cardinals(window, "_NET_WM_STATE");
        return std::find(states.begin(), states.end(), session->atom(state)) != states.end();
    }

    std::unique_ptr<XSession> session;
    XSession::Client xterm{}, xclock{}, xlogo{};
    std::unique_ptr<x11::X11Desktop> desktop;
};

}  // namespace orvale::testing
