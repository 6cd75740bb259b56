#include <gtest/gtest.h>

#include "platform/x11/X11Desktop.h"
#include "platform/x11/XSession.h"

namespace orvale::x11 {
namespace {

// Buttons pressed and released through the XTest extension show in the mask
// as soon as the server reports the press or release.
TEST(X11PointerTest, ReadsTheButtonsHeldNow) {
    auto session = testing::XSession::startXvfb(640, 480);
    ASSERT_TRUE(session);
    // Without a window manager the root window is free to hear the buttons.
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE |
                                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_BUTTON_PRESS |
                                 XCB_EVENT_MASK_BUTTON_RELEASE;
    xcb_connection_t* connection = session->connection().raw();
    xcb_change_window_attributes(connection, session->root(), XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection);
    auto desktop = X11Desktop::open(session->display().c_str());
    ASSERT_TRUE(desktop);
    Pointer& pointer = desktop->pointer();
    EXPECT_EQ(pointer.pressedButtons(), 0u);

    const auto readsUntil = [&](std::uint32_t expected) {
        return session->waitUntil([&] { return pointer.pressedButtons() == expected; });
    };
    session->run({"xdotool", "mousedown", "1"});
    EXPECT_TRUE(readsUntil(Pointer::button(1)));
    session->run({"xdotool", "mousedown", "3"});
    EXPECT_TRUE(readsUntil(Pointer::button(1) | Pointer::button(3)));
    session->run({"xdotool", "mouseup", "1"});
    EXPECT_TRUE(readsUntil(Pointer::button(3)));
    session->run({"xdotool", "mouseup", "3"});
    EXPECT_TRUE(readsUntil(0));
}

}  // namespace
}  // namespace orvale::x11
