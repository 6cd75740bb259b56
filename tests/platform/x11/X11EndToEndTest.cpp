#include <gtest/gtest.h>

#include <signal.h>

#include <map>

#include "cli/RunOrvale.h"
#include "platform/x11/CapturedLayout.h"
#include "platform/x11/ClientsFixture.h"
#include "restore/RestoreService.h"
#include "support/TemporaryFolder.h"

namespace orvale::x11 {
namespace {

using X11EndToEndTest = testing::ClientsFixture;

using testing::XSession;

// Something that goes wrong as the second of three windows is moved, before
// it is read or before its position is written, and what its entry says; a
// fault that ends the run says the same for the third.
struct Fault {
    const char* name;
    enum Act { killManager, stopManager, closeWindow } act;
    bool duringWrite;
    EntryOutcome outcome;
    std::string detail;
    bool endsRun;
};

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

class X11FaultTest : public testing::ClientsFixture, public ::testing::WithParamInterface<Fault> {
  protected:
    void act(const XSession::Client& client) {
        const Fault& fault = GetParam();
        if (fault.act != Fault::closeWindow) {
            session->windowManager().signal(fault.act == Fault::killManager ? SIGKILL : SIGSTOP);
            return;
        }
        client.process->signal(SIGKILL);
        ASSERT_TRUE(session->waitUntil([&] { return !session->isManaged(client.window); }));
    }
};

TEST_P(X11FaultTest, aRestoreTellsWhatHappened) {
    const Fault& fault = GetParam();
    const std::vector<CurrentDisplay> connected = displays();
    const CapturePreview preview = service->capture(connected, {});
    std::vector<WindowEntry> entries = preview.entries;
    std::map<std::string, XSession::Client> clients;
    for (WindowEntry& entry : entries) {
        const RectD visible = connected.back().visibleFrame;
        RectD frame = entry.relativeFrame.absolute(visible);
        frame.x += 40;
        entry.relativeFrame = RelativeFrame::make(frame, visible);
        for (const XSession::Client& client : {xterm, xclock, xlogo}) {
            if (client.window == preview.references.at(entry.id)->element.handle) {
                clients[entry.label()] = client;
            }
        }
    }
    std::string current;
    int gates = 0;
    RestoreOptions options;
    // Asked before each window and before each of its two writes.
    options.isAutomation = true;
    options.writeGate = [&] {
        if (++gates == 6 && fault.duringWrite) act(clients.at(current));
        return true;
    };
    RestoreService restorer(*service, clock);
    const RestoreResult result =
        restorer.restore(testing::capturedLayout(preview, entries, clock), connected, {}, options,
                         nullptr, [&](const RestoreProgress& p) {
                             current = p.currentLabel;
                             if (p.completed == 1 && !fault.duringWrite) act(clients.at(current));
                         });
    session->windowManager().signal(SIGCONT);

    ASSERT_EQ(result.entries.size(), 3u);
    const std::string placed = "Placed on right";
    EXPECT_EQ(result.entries[0].detail, placed);
    EXPECT_EQ(name(result.entries[1].outcome), name(fault.outcome));
    EXPECT_EQ(result.entries[1].detail, fault.detail);
    EXPECT_EQ(result.entries[2].detail, fault.endsRun ? fault.detail : placed);
}

using O = EntryOutcome;
INSTANTIATE_TEST_SUITE_P(
    Faults, X11FaultTest,
    ::testing::Values(Fault{"managerKilledBeforeAWindow", Fault::killManager, false, O::failed,
                            "The window manager stopped running", true},
                      Fault{"managerKilledDuringAWrite", Fault::killManager, true, O::failed,
                            "The window manager stopped running", true},
                      Fault{"managerStoppedBeforeAWindow", Fault::stopManager, false, O::failed,
                            "The window manager is not responding", true},
                      Fault{"windowClosedBeforeItsMove", Fault::closeWindow, false, O::notOpen,
                            "The window is no longer open", false},
                      Fault{"windowClosedDuringItsMove", Fault::closeWindow, true, O::failed,
                            "The window is no longer available", false}),
    [](const auto& info) { return std::string(info.param.name); });

// The monitors as displays in the primary's space, less a 30-pixel dock along
// the top of the right one; then the windows, and what goes wrong without a
// window manager or a display.
TEST_F(X11EndToEndTest, theCommandsListTheDisplaysAndTheWindows) {
    xcb_connection_t* c = session->connection().raw();
    const xcb_window_t dock = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, dock, session->root(), 1280, 0, 1280, 30, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t dockType = session->atom("_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, dock, session->atom("_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &dockType);
    const std::uint32_t strut[12] = {0, 0, 30, 0, 0, 0, 0, 0, 1280, 2559, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, dock, session->atom("_NET_WM_STRUT_PARTIAL"),
                        XCB_ATOM_CARDINAL, 32, 12, strut);
    xcb_map_window(c, dock);
    ASSERT_TRUE(
        session->waitUntil([&] { return session->isManaged(dock) && session->isViewable(dock); }));
    EXPECT_EQ(onScreen(dock).value().layer, 20);

    ::setenv("DISPLAY", session->display().c_str(), 1);
    const testing::TemporaryFolder folder;
    const auto orvale = [&](const char* command) {
        return testing::runOrvale({command}, folder / "data", folder / "config");
    };
    const testing::Outcome displays = orvale("displays");
    ASSERT_EQ(displays.status, 0) << displays.err;
    EXPECT_EQ(displays.out,
              "left\n"
              "  key            0-0-1\n"
              "  frame          -1280, 0, 1280 × 1440\n"
              "  visible frame  -1280, 0, 1280 × 1440\n"
              "  pixels         1280 × 1440\n"
              "  scale          1\n"
              "right (primary)\n"
              "  key            0-0-0\n"
              "  frame          0, 0, 1280 × 1000\n"
              "  visible frame  0, 30, 1280 × 970\n"
              "  pixels         1280 × 1000\n"
              "  scale          1\n"
              "Topology signature: "
              "0-0-1@-12800,0,12800x14400/1280x1440@10S|0-0-0@0,0,12800x10000/1280x1000@10P\n");

    const testing::Outcome windows = orvale("windows");
    ASSERT_EQ(windows.status, 0) << windows.err;
    for (const char* part : {"XClock (XClock)\n  role     AXWindow / AXStandardWindow\n",
                             "  display  right (0-0-0)\n", "XTerm (debian-xterm)\n",
                             "Skipped windows: 0\nExcluded windows: 0\nIncomplete applications: "
                             "none\n"}) {
        EXPECT_NE(windows.out.find(part), std::string::npos) << windows.out;
    }

    // While another client holds the server, opening gives up at its deadline
    // and says why; once the grab ends, everything works again.
    xcb_grab_server(c);
    session->cardinals(session->root(), "_NET_SUPPORTED");  // a round trip: the grab holds
    OpenError why = OpenError::cannotConnect;
    EXPECT_FALSE(X11Desktop::open(nullptr, std::chrono::milliseconds(300), &why));
    EXPECT_EQ(why, OpenError::notAnswering);
    const testing::Outcome held = orvale("windows");
    EXPECT_EQ(held.status, 1);
    EXPECT_EQ(held.err, "orvale: The X server is not answering\n");
    xcb_ungrab_server(c);
    xcb_flush(c);
    const testing::Outcome again = orvale("windows");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, windows.out);

    // Without a window manager there is nothing to read windows through.
    session->stopWindowManager();
    const testing::Outcome missing = orvale("windows");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, std::string("orvale: ") +
                               CaptureError(CaptureError::Kind::permissionDenied).what() + "\n");

    ::setenv("DISPLAY", "", 1);
    const testing::Outcome noDisplay = orvale("displays");
    EXPECT_EQ(noDisplay.status, 1);
    EXPECT_EQ(noDisplay.err,
              "orvale: no X display is set; Orvale works on an X11 desktop (set DISPLAY, for "
              "example DISPLAY=:0).\n");
}

}  // namespace
}  // namespace orvale::x11
