// A layout restored by its hot key: `orvale daemon` running under openbox on
// a private Xvfb with a session bus of its own, holding Super+Alt+1 for a
// layout of one xterm. Timed from the start of `xdotool key super+alt+1` until
// the X server reports the window back where it was saved, against the floor
// in the same rounds: one bare _NET_MOVERESIZE_WINDOW of the same window over
// the same distance, waited for until the window manager has carried it out.
// Each round moves the window away with the floor's move and brings it back
// with the hot key. `xdotool key` of a combination nobody holds is timed in
// the same rounds, to say how much of the press is xdotool's own start-up.
// Both press with no delay between keys (xdotool's default waits 12 ms after
// each key event, which alone outlasted the restore); xdotool sends the keys
// after its start-up and exits right after, so the restore overlaps its exit
// and the difference of the two is close to the time from the press to the
// window back.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

#include "BareMove.h"
#include "BenchMain.h"
#include "ProgramRun.h"
#include "Timed.h"
#include "platform/x11/ChildProcess.h"
#include "platform/x11/XSession.h"
#include "restore/FrameTolerances.h"
#include "support/TemporaryFolder.h"

namespace orvale {
namespace {

constexpr int kRounds = 15;

std::string orvale(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {ORVALE_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return runToEnd(std::move(words));
}

struct Desk {
    Desk() {
        ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        session = testing::XSession::startXvfb(1280, 800);
        session->startWindowManager();
        ::setenv("DISPLAY", session->display().c_str(), 1);
        const auto address =
            testing::startAndReadLine({"env", "HOME=" + folder.path().string(), "dbus-daemon",
                                       "--session", "--nofork", "--print-address=3"},
                                      "", bus);
        if (!address) throw std::runtime_error("no session bus");
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address->c_str(), 1);

        window = session
                     ->startClient({"xterm", "-class", "BenchHotKey", "-geometry", "40x10+200+150"},
                                   "bench-hotkey")
                     .window;
        saved = testing::frameFromTools(*session, window, 0);
        savedOrigin = clientOrigin();
        orvale({"save", "Bench"});
        resident = std::make_unique<testing::ChildProcess>(
            std::vector<std::string>{ORVALE_BINARY, "daemon"}, session->display());
        runToEnd({"gdbus", "wait", "--session", "--timeout", "30", "org.orvale.Orvale"});
        orvale({"shortcut", "Bench", "Super+Alt+1"});
    }

    // Where the client's top-left corner is on the screen, as the server says.
    std::pair<int, int> clientOrigin() {
        auto& connection = session->connection();
        const auto answer = connection.reply<xcb_translate_coordinates_reply_t>(
            xcb_translate_coordinates(connection.raw(), window, connection.root(), 0, 0),
            std::chrono::steady_clock::now() + std::chrono::seconds(5));
        if (!answer) throw std::runtime_error("no answer for the window's place");
        return {answer->dst_x, answer->dst_y};
    }

    bool atSavedPlace() {
        const auto [x, y] = clientOrigin();
        return std::abs(x - savedOrigin.first) <= kAtTargetTolerance &&
               std::abs(y - savedOrigin.second) <= kAtTargetTolerance;
    }

    void moveAway() { moveBare(session->connection(), window, saved.x + 40, saved.y + 40); }

    // Presses the hot key and waits until the window is back: after every
    // notice of a change to it, the server is asked where it is.
    void restoreByHotKey() {
        session->connection().dropPendingEvents();
        runToEnd({"xdotool", "key", "--delay", "0", "super+alt+1"});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!atSavedPlace()) {
            const bool changed = session->connection().waitForEvent(
                [&](const xcb_generic_event_t& event) {
                    return (event.response_type & 0x7F) == XCB_CONFIGURE_NOTIFY &&
                           reinterpret_cast<const xcb_configure_notify_event_t&>(event).window ==
                               window;
                },
                deadline);
            if (!changed) throw std::runtime_error("the hot key did not restore the window");
        }
    }

    testing::TemporaryFolder folder;
    std::unique_ptr<testing::XSession> session;
    std::unique_ptr<testing::ChildProcess> bus;
    std::unique_ptr<testing::ChildProcess> resident;
    xcb_window_t window = XCB_NONE;
    RectD saved;
    std::pair<int, int> savedOrigin;
};

struct Timings {
    std::vector<double> floor, hotKey, xdotool;
};

Timings timings;

void BM_HotKeyRestore(benchmark::State& state) {
    Desk desk;
    for (auto _ : state) {
        timed(timings.floor, [&] { desk.moveAway(); });
        if (desk.atSavedPlace()) throw std::runtime_error("the window did not move away");
        timed(timings.hotKey, [&] { desk.restoreByHotKey(); });
        timed(timings.xdotool, [] { runToEnd({"xdotool", "key", "--delay", "0", "super+alt+2"}); });
    }
    state.counters["hot_key_ms"] = median(timings.hotKey);
}

BENCHMARK(BM_HotKeyRestore)->Unit(benchmark::kMillisecond)->Iterations(kRounds);

}  // namespace
}  // namespace orvale

int main(int argc, char** argv) {
    if (!orvale::runBenchmarks(argc, argv)) return 1;
    using orvale::median;
    const auto& t = orvale::timings;
    if (t.hotKey.empty()) return 0;
    const double hotKey = median(t.hotKey), floor = median(t.floor), xdotool = median(t.xdotool);
    std::printf(
        "Medians of %d rounds, one window under openbox:\n"
        "  hot key restore  %.1f ms (xdotool started to the window verified back)\n"
        "  floor move       %.1f ms\n"
        "  xdotool alone    %.1f ms (a combination nobody holds)\n"
        "hot key / floor             = %.2f\n"
        "(hot key - xdotool) / floor = %.2f\n",
        orvale::kRounds, hotKey, floor, xdotool, hotKey / floor, (hotKey - xdotool) / floor);
    return 0;
}
