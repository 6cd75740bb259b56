#include <gtest/gtest.h>
#include <xcb/xcb_icccm.h>

#include <cstdio>
#include <map>

#include "model/Clock.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/x11/CapturedLayout.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XSession.h"
#include "restore/FrameTolerances.h"
#include "restore/OutcomeTexts.h"
#include "restore/RestoreService.h"

namespace orvale::x11 {
namespace {

using testing::WindowManager;
using testing::XSession;

// What a restore makes of one window, as a user reads it.
enum class Result { exact, adjusted, refused };

const char* nameOf(Result result) {
    constexpr const char* names[] = {"exact", "adjusted", "refused"};
    return names[static_cast<int>(result)];
}

Result resultOf(EntryOutcome outcome) {
    if (outcome == EntryOutcome::restored) return Result::exact;
    return outcome == EntryOutcome::adjusted ? Result::adjusted : Result::refused;
}

// How a window is taken away from where it was saved.
enum class Shuffle { move, maximise, minimise, otherDesktop };

struct Client {
    std::string name;  // its WM_CLASS instance
    // Empty for the test's own window, whose minimum and maximum size are one.
    std::vector<std::string> command;
    Shuffle shuffle;
    Result expected;
};

// Each client is an application of its own, so that matching never has to ask.
const Client kClients[] = {
    {"orvale-xterm", {"xterm", "-geometry", "80x24+40+40"}, Shuffle::move, Result::exact},
    {"orvale-xclock", {"xclock", "-geometry", "200x180+700+40"}, Shuffle::move, Result::exact},
    {"orvale-xlogo", {"xlogo", "-geometry", "150x150+1000+40"}, Shuffle::move, Result::exact},
    {"orvale-gtk", {"gtk3-demo", "--name=orvale-gtk"}, Shuffle::move, Result::exact},
    {"orvale-qt", {ORVALE_QT_WINDOW, "-geometry", "320x240+40+560"}, Shuffle::move, Result::exact},
    // Saved larger than it can be.
    {"orvale-fixed", {}, Shuffle::move, Result::adjusted},
    {"orvale-maximised",
     {"xterm", "-class", "OrvaleMaximised", "-geometry", "60x20+1300+40"},
     Shuffle::maximise,
     Result::exact},
    {"orvale-minimised",
     {"xterm", "-class", "OrvaleMinimised", "-geometry", "60x20+1300+500"},
     Shuffle::minimise,
     Result::refused},
    {"orvale-away",
     {"xterm", "-class", "OrvaleAway", "-geometry", "60x20+800+600"},
     Shuffle::otherDesktop,
     Result::refused},
};

struct Manager {
    WindowManager manager;
    // A tiling window manager keeps tiled windows where it put them; the
    // shuffle rearranges its tiles instead.
    bool tiles = false;
    // Where its results differ from the clients' own expectations.
    std::map<std::string, Result> differences = {};
    // Why its results are known to be wrong for now; empty when they are not.
    std::string pending = {};
};

void PrintTo(const Manager& manager, std::ostream* out) {
    *out << testing::nameOf(manager.manager);
}

std::string describe(const RectD& r) {
    char text[64];
    std::snprintf(text, sizeof text, "%g,%g %g×%g", r.x, r.y, r.width, r.height);
    return text;
}

class WindowManagerMatrixTest : public ::testing::TestWithParam<Manager> {
  protected:
    Result expectedFor(const Client& client) {
        const auto difference = GetParam().differences.find(client.name);
        return difference == GetParam().differences.end() ? client.expected : difference->second;
    }

    // A window of the test's own, on a connection of its own, that cannot be
    // resized at all.
    xcb_window_t startFixedWindow() {
        fixedConnection = X11Connection::open(session->display().c_str());
        xcb_connection_t* c = fixedConnection->raw();
        const xcb_window_t window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, fixedConnection->root(), 500, 500, 300,
                          200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_size_hints_t hints{};
        xcb_icccm_size_hints_set_position(&hints, 1, 500, 500);
        xcb_icccm_size_hints_set_min_size(&hints, 300, 200);
        xcb_icccm_size_hints_set_max_size(&hints, 300, 200);
        xcb_icccm_set_wm_normal_hints(c, window, &hints);
        constexpr char names[] = "orvale-fixed\0OrvaleFixed";
        xcb_icccm_set_wm_class(c, window, sizeof names, names);
        xcb_map_window(c, window);
        xcb_flush(c);
        return session->awaitShown("orvale-fixed");
    }

    void wmctrl(xcb_window_t window, const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {"wmctrl", "-i", "-r", testing::hex(window)};
        command.insert(command.end(), arguments.begin(), arguments.end());
        session->run(command);
    }

    bool hasState(xcb_window_t window, const char* state) {
        const auto states = session->cardinals(window, "_NET_WM_STATE");
        return std::find(states.begin(), states.end(), session->atom(state)) != states.end();
    }

    // Takes the window away from where it is and waits until the window
    // manager has done so.
    void shuffle(const Client& client, xcb_window_t window) {
        const RectD before = testing::toolsGeometry(*session, window);
        std::function<bool()> done = [&] {
            return testing::toolsGeometry(*session, window) != before;
        };
        switch (client.shuffle) {
            case Shuffle::move: {
                const auto place = [](double value) { return std::to_string(int(value)); };
                wmctrl(window,
                       {"-e", "0," + place(before.x + 160) + "," + place(before.y + 90) + "," +
                                  place(before.width + 40) + "," + place(before.height + 30)});
                break;
            }
            case Shuffle::maximise:
                wmctrl(window, {"-b", "add,maximized_vert,maximized_horz"});
                done = [&] { return hasState(window, "_NET_WM_STATE_MAXIMIZED_VERT"); };
                break;
            case Shuffle::minimise:
                session->run({"xdotool", "windowminimize", testing::hex(window)});
                done = [&] { return hasState(window, "_NET_WM_STATE_HIDDEN"); };
                break;
            case Shuffle::otherDesktop:
                if (GetParam().tiles) {
                    session->run({"i3-msg", "[id=" + testing::hex(window) + "]",
                                  "move container to workspace 2"});
                } else {
                    wmctrl(window, {"-t", "1"});
                }
                done = [&] {
                    return session->cardinals(window, "_NET_WM_DESKTOP") == std::vector{1u};
                };
                break;
        }
        ASSERT_TRUE(session->waitUntil(done)) << client.name;
    }

    std::unique_ptr<XSession> session;
    std::unique_ptr<X11Connection> fixedConnection;
};

TEST_P(WindowManagerMatrixTest, aSavedLayoutIsPutBackAndEveryResultSaysWhereTheWindowIs) {
    const Manager& manager = GetParam();
    session = XSession::startXvfb(1920, 1080);
    session->startWindowManager(manager.manager);
    std::map<std::string, xcb_window_t> windows;
    for (const Client& client : kClients) {
        windows[client.name] = client.command.empty()
                                   ? startFixedWindow()
                                   : session->startClient(client.command, client.name).window;
    }
    const auto desktop = X11Desktop::open(session->display().c_str());
    ASSERT_TRUE(desktop);
    SystemClock clock;
    WindowService service(desktop->accessibility(), desktop->windowServer(), desktop->workspace(),
                          clock);
    const auto displays = DisplayService(desktop->screens()).currentDisplays();
    ASSERT_EQ(displays.size(), 1u);
    const RectD visible = displays.front().visibleFrame;

    const CapturePreview preview = service.capture(displays, {});
    ASSERT_EQ(preview.entries.size(), std::size(kClients));
    std::map<Uuid, const Client*> clientOf;
    std::vector<WindowEntry> entries = preview.entries;
    for (WindowEntry& entry : entries) {
        const auto window = preview.references.at(entry.id)->element.handle;
        for (const Client& client : kClients) {
            if (windows[client.name] == window) clientOf[entry.id] = &client;
        }
        ASSERT_TRUE(clientOf.contains(entry.id)) << entry.label();
        if (clientOf[entry.id]->command.empty()) {
            RectD frame = entry.relativeFrame.absolute(visible);
            frame.width += 120;
            frame.height += 80;
            entry.relativeFrame = RelativeFrame::make(frame, visible);
        }
    }
    const Layout layout = testing::capturedLayout(preview, entries, clock);

    if (manager.tiles) {
        // Stacking the tiles instead of setting them side by side moves every
        // tiled window at once.
        const RectD before = testing::toolsGeometry(*session, windows["orvale-xterm"]);
        session->run({"i3-msg", "layout splitv"});
        ASSERT_TRUE(session->waitUntil(
            [&] { return testing::toolsGeometry(*session, windows["orvale-xterm"]) != before; }));
    }
    for (const Client& client : kClients) {
        const bool tiled = manager.tiles && client.shuffle != Shuffle::otherDesktop &&
                           expectedFor(client) == Result::refused;
        if (!tiled) shuffle(client, windows[client.name]);
    }

    RestoreService restorer(service, clock);
    const RestoreResult result = restorer.restore(layout, displays, {}, RestoreOptions{});
    ASSERT_EQ(result.entries.size(), std::size(kClients));
    std::vector<std::string> mismatches;
    for (const EntryResult& entry : result.entries) {
        const Client& client = *clientOf.at(entry.entryID);
        const Result got = resultOf(entry.outcome);
        const Result expected = expectedFor(client);
        std::printf("[%s] %-17s %-8s %s\n", testing::nameOf(manager.manager).c_str(),
                    client.name.c_str(), nameOf(got), entry.detail.c_str());
        if (got != expected) {
            mismatches.push_back(client.name + " " + nameOf(got) + " (" + entry.detail + ")");
        }
        EXPECT_FALSE(entry.detail.empty()) << client.name;
        // A window said to be placed is where it was asked to be.
        const auto saved =
            std::find_if(layout.entries.begin(), layout.entries.end(),
                         [&](const WindowEntry& e) { return e.id == entry.entryID; });
        const RectD target =
            saved->relativeFrame.absolute(visible).clamped(visible, kMinimumWindowSize);
        if (got == Result::exact) {
            const RectD seen = testing::frameFromTools(*session, windows[client.name], 0);
            if (!seen.isApproximatelyEqual(target, kAtTargetTolerance)) {
                mismatches.push_back(client.name + " said \"" + entry.detail + "\" but is at " +
                                     describe(seen) + ", not " + describe(target));
            }
        }
    }
    if (!mismatches.empty() && !manager.pending.empty()) GTEST_SKIP() << manager.pending;
    for (const std::string& mismatch : mismatches) ADD_FAILURE() << mismatch;
}

INSTANTIATE_TEST_SUITE_P(
    WindowManagers, WindowManagerMatrixTest,
    // fluxbox, icewm and i3 let a pager resize a window beyond its size hints.
    ::testing::Values(Manager{WindowManager::openbox}, Manager{WindowManager::xfwm4},
                      Manager{WindowManager::fluxbox, false, {{"orvale-fixed", Result::exact}}},
                      Manager{WindowManager::icewm, false, {{"orvale-fixed", Result::exact}}},
                      Manager{WindowManager::metacity},
                      Manager{.manager = WindowManager::i3,
                              .tiles = true,
                              .differences = {{"orvale-fixed", Result::exact},
                                              {"orvale-xterm", Result::refused},
                                              {"orvale-xclock", Result::refused},
                                              {"orvale-xlogo", Result::refused},
                                              {"orvale-gtk", Result::refused},
                                              {"orvale-qt", Result::refused},
                                              {"orvale-maximised", Result::refused},
                                              {"orvale-minimised", Result::refused}}}),
    [](const ::testing::TestParamInfo<Manager>& info) {
        return testing::nameOf(info.param.manager);
    });

}  // namespace
}  // namespace orvale::x11
