#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "model/Clock.h"
#include "platform/AXRead.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XSession.h"

namespace orvale::testing {

// The primary monitor is on the right and shorter, so the global space starts
// at root x 1280 and every coordinate must be shifted to its corner.
inline constexpr double kOriginX = 1280;
// Long enough for any answer from a window manager that is running.
inline constexpr double kTimeout = 2.0;

// Xvfb with two monitors, openbox, and an xterm, an xclock and an xlogo on
// the primary monitor, read through the X11 backend and the window service.
class ClientsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        session = XSession::startXvfb(2560, 1440);
        session->run({"xrandr", "--setmonitor", "left", "1280/300x1440/200+0+0", "screen"});
        session->run({"xrandr", "--setmonitor", "*right", "1280/300x1000/200+1280+0", "none"});
        session->startWindowManager();
        xterm = session->startClient({"xterm", "-geometry", "80x24+1400+100"}, "orvale-xterm");
        xclock = session->startClient({"xclock", "-geometry", "200x180+1800+300"}, "orvale-xclock");
        xlogo = session->startClient({"xlogo", "-geometry", "150x150+1500+700"}, "orvale-xlogo");
        desktop = x11::X11Desktop::open(session->display().c_str());
        ASSERT_TRUE(desktop);
        service = std::make_unique<WindowService>(desktop->accessibility(), desktop->windowServer(),
                                                  desktop->workspace(), clock);
    }

    RectD frameOf(xcb_window_t window) {
        const auto frame = AX::frame(desktop->accessibility(), {0, window}, kTimeout);
        EXPECT_TRUE(frame);
        return frame.value_or(RectD{});
    }
    RectD toolsFrame(xcb_window_t window) { return frameFromTools(*session, window, kOriginX); }

    std::optional<WindowInfo> onScreen(xcb_window_t window) {
        const auto windows = desktop->windowServer().onScreenWindows();
        for (const WindowInfo& info : windows.value()) {
            if (info.number == window) return info;
        }
        return std::nullopt;
    }
    std::int32_t pidOf(xcb_window_t window) { return onScreen(window).value().ownerPID.value(); }

    std::vector<CurrentDisplay> displays() {
        return DisplayService(desktop->screens()).currentDisplays();
    }
    WindowReferencePtr scanned(const ScanOutput& scan, xcb_window_t window) {
        for (const WindowReferencePtr& reference : scan.windows) {
            if (reference->element.handle == window) return reference;
        }
        return nullptr;
    }

    std::unique_ptr<XSession> session;
    XSession::Client xterm{}, xclock{}, xlogo{};
    std::unique_ptr<x11::X11Desktop> desktop;
    SystemClock clock;
    std::unique_ptr<WindowService> service;
};

}  // namespace orvale::testing
