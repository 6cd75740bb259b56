#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/x11/CapturedLayout.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XSession.h"
#include "restore/FrameTolerances.h"
#include "restore/RestoreService.h"

namespace orvale::x11 {
namespace {

using testing::WindowManager;

// What a restore made of a window, as the user reads it.
enum class Result { exact, adjusted, refused };
constexpr const char* kResultNames[] = {"exact", "adjusted", "refused"};

// How a window is taken away from where it was saved.
enum class Shuffle { move, maximise, minimise, otherDesktop };

struct Client {
    std::string name;  // its WM_CLASS instance
    std::vector<std::string> command;
    Shuffle shuffle;
    Result expected;
};

// Each an application of its own, so that matching never has to ask.
const Client kClients[] = {
    {"orvale-xterm", {"xterm", "-geometry", "80x24+40+40"}, Shuffle::move, Result::exact},
    {"orvale-xclock", {"xclock", "-geometry", "200x180+700+40"}, Shuffle::move, Result::exact},
    {"orvale-xlogo", {"xlogo", "-geometry", "150x150+1000+40"}, Shuffle::move, Result::exact},
    {"orvale-gtk", {"gtk3-demo", "--name=orvale-gtk"}, Shuffle::move, Result::exact},
    {"orvale-qt", {ORVALE_QT_WINDOW, "-geometry", "320x240+40+560"}, Shuffle::move, Result::exact},
    // Of one fixed size, saved larger than that.
    {"orvale-fixed",
     {"xeyes", "+shape", "-geometry", "300x200+500+500", "-xrm", "*minWidth: 300", "-xrm",
      "*maxWidth: 300", "-xrm", "*minHeight: 200", "-xrm", "*maxHeight: 200"},
     Shuffle::move,
     Result::adjusted},
    {"orvale-maximised",
     {"xterm", "-class", "OrvaleMax", "-geometry", "60x20+1300+40"},
     Shuffle::maximise,
     Result::exact},
    {"orvale-minimised",
     {"xterm", "-class", "OrvaleMin", "-geometry", "60x20+1300+500"},
     Shuffle::minimise,
     Result::refused},
    {"orvale-away",
     {"xterm", "-class", "OrvaleAway", "-geometry", "60x20+800+600"},
     Shuffle::otherDesktop,
     Result::refused},
};

struct Manager {
    WindowManager manager;
    // Lets a pager make a window larger than its size hints allow.
    bool overridesSizeHints = false;
    // Keeps tiled windows where it tiled them. It floats the window of one
    // fixed size; the shuffle rearranges the tiles instead of moving windows.
    bool tiles = false;

    bool isTiled(const Client& client) const {
        return tiles && client.expected != Result::adjusted &&
               client.shuffle != Shuffle::otherDesktop;
    }
    Result expectedFor(const Client& client) const {
        if (client.expected == Result::adjusted && overridesSizeHints) return Result::exact;
        return isTiled(client) ? Result::refused : client.expected;
    }
};

void PrintTo(const Manager& manager, std::ostream* out) {
    *out << testing::nameOf(manager.manager);
}

class WindowManagerMatrixTest : public ::testing::TestWithParam<Manager> {
  protected:
    // Takes the window away from where it is, and waits until it is gone.
    void shuffle(Shuffle how, xcb_window_t window) {
        if (how == Shuffle::move) {
            ASSERT_TRUE(testing::moveAndGrow(*session, window, 160, 90)) << testing::hex(window);
            return;
        }
        std::function<bool()> done;
        if (how == Shuffle::maximise) {
            session->wmctrl(window, {"-b", "add,maximized_vert,maximized_horz"});
            done = [&] { return session->hasState(window, "_NET_WM_STATE_MAXIMIZED_VERT"); };
        } else if (how == Shuffle::minimise) {
            session->run({"xdotool", "windowminimize", testing::hex(window)});
            done = [&] { return session->hasState(window, "_NET_WM_STATE_HIDDEN"); };
        } else {
            if (GetParam().tiles) {
                session->run({"i3-msg", "[id=" + testing::hex(window) + "]",
                              "move container to workspace 2"});
            } else {
                session->wmctrl(window, {"-t", "1"});
            }
            done = [&] { return session->cardinals(window, "_NET_WM_DESKTOP") == std::vector{1u}; };
        }
        ASSERT_TRUE(session->waitUntil(done)) << testing::hex(window);
    }

    std::unique_ptr<testing::XSession> session;
};

// Saved, shuffled and restored under each window manager: every result is
// the one expected there, and a window said to be placed is where it was
// asked to be, as the X tools see it.
TEST_P(WindowManagerMatrixTest, aSavedLayoutIsPutBackAndEveryResultSaysWhereTheWindowIs) {
    const Manager& manager = GetParam();
    session = testing::XSession::startXvfb(1920, 1080);
    session->startWindowManager(manager.manager);
    std::map<std::string, xcb_window_t> windows;
    for (const Client& client : kClients) {
        windows[client.name] = session->startClient(client.command, client.name).window;
    }
    testing::ReadDesktop desktop(*session);
    ASSERT_EQ(desktop.displays.size(), 1u);
    const RectD visible = desktop.displays.front().visibleFrame;
    const CapturePreview preview =
        testing::settledCapture(*session, desktop.service, desktop.displays, std::size(kClients));
    ASSERT_EQ(preview.entries.size(), std::size(kClients)) << "windows captured";
    std::map<Uuid, const Client*> clientOf;
    std::map<Uuid, RectD> targets;
    std::vector<WindowEntry> entries = preview.entries;
    for (WindowEntry& entry : entries) {
        for (const Client& client : kClients) {
            if (windows[client.name] == preview.references.at(entry.id)->element.handle) {
                clientOf[entry.id] = &client;
            }
        }
        ASSERT_TRUE(clientOf.contains(entry.id)) << entry.label();
        RectD frame = entry.relativeFrame.absolute(visible);
        if (clientOf[entry.id]->expected == Result::adjusted) {
            frame = {frame.x, frame.y, frame.width + 120, frame.height + 80};
            entry.relativeFrame = RelativeFrame::make(frame, visible);
        }
        targets[entry.id] = frame.clamped(visible, kMinimumWindowSize);
    }

    if (manager.tiles) {
        // Tiles stacked instead of side by side: every tiled window moves.
        const RectD was = testing::toolsGeometry(*session, windows["orvale-xterm"]);
        session->run({"i3-msg", "layout splitv"});
        ASSERT_TRUE(session->waitUntil(
            [&] { return testing::toolsGeometry(*session, windows["orvale-xterm"]) != was; }));
    }
    for (const Client& client : kClients) {
        if (!manager.isTiled(client)) shuffle(client.shuffle, windows[client.name]);
    }

    RestoreService restorer(desktop.service, desktop.clock);
    const RestoreResult result = restorer.restore(
        testing::capturedLayout(preview, entries, desktop.clock), desktop.displays, {}, {});
    ASSERT_EQ(result.entries.size(), std::size(kClients));
    for (const EntryResult& entry : result.entries) {
        const Client& client = *clientOf.at(entry.entryID);
        const Result got = entry.outcome == EntryOutcome::restored   ? Result::exact
                           : entry.outcome == EntryOutcome::adjusted ? Result::adjusted
                                                                     : Result::refused;
        std::printf("[%s] %-17s %-8s %s\n", testing::nameOf(manager.manager).c_str(),
                    client.name.c_str(), kResultNames[int(got)], entry.detail.c_str());
        EXPECT_EQ(kResultNames[int(got)], kResultNames[int(manager.expectedFor(client))])
            << client.name << ": " << entry.detail;
        EXPECT_FALSE(entry.detail.empty()) << client.name;
        if (got == Result::exact) {
            const RectD seen = testing::frameFromTools(*session, windows[client.name], 0);
            const RectD& target = targets.at(entry.entryID);
            EXPECT_TRUE(seen.isApproximatelyEqual(target, kAtTargetTolerance))
                << client.name << " said “" << entry.detail << "” at " << seen.x << "," << seen.y
                << " " << seen.width << "×" << seen.height << ", asked " << target.x << ","
                << target.y << " " << target.width << "×" << target.height;
        }
    }
}

// fluxbox, icewm and i3 let a pager resize a window beyond its size hints;
// i3 tiles.
INSTANTIATE_TEST_SUITE_P(
    WindowManagers, WindowManagerMatrixTest,
    ::testing::Values(Manager{WindowManager::openbox}, Manager{WindowManager::xfwm4},
                      Manager{WindowManager::fluxbox, true}, Manager{WindowManager::icewm, true},
                      Manager{WindowManager::metacity}, Manager{WindowManager::i3, true, true}),
    [](const ::testing::TestParamInfo<Manager>& info) {
        return testing::nameOf(info.param.manager);
    });

}  // namespace
}  // namespace orvale::x11
