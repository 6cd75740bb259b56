// A whole restore of twenty real windows through RestoreService (scan,
// matching, moves, verification) on a private Xvfb, under openbox and under
// fluxbox, against the floor: twenty bare _NET_MOVERESIZE_WINDOW requests, each
// followed by waiting for that window's ConfigureNotify. Every round first
// moves the windows away with the floor's moves (timed: that is the
// baseline) and then restores the layout (timed), so both meet the same load.
// Prints the median of each per window, the round trips a restore costs per
// window, and the ratio.
//
// The windows are xterms, each under a class of its own, so that every one is
// an application of its own and matching never has to ask which is which.
//
// Where the time went (perf, and round trips counted per step, on a shared
// two-core machine; round trips as X11Connection counts them now, every wait
// after sending something new, which the "before" figures undercount: they
// missed answers a fast server had sent before the wait began).
//
// Before: openbox 79 ms a restore against 5 ms of floor, 15.7x, 11.1 round
// trips per window; fluxbox 233 ms against 45 ms, 5.2x, 16 round trips.
//  - Every read of the window list (each application's windows in the scan,
//    the on-screen list and the application's windows checked again before
//    each move, the running applications) read the lists and every client's
//    properties afresh: two round trips each, and a third for the on-screen
//    list's geometry; every window's first attribute read one more.
//  - With the readings shared and kept while no event says they changed, a
//    scan of a quiet desk asked the server nothing, yet took 5-17 ms: every
//    freshness check polled the connection (a recvmsg), three per window per
//    attribute read, some 8,000 system calls a scan.
//
// After: openbox 4.7-6.9 ms against 3.7-5.7 ms, 1.22-1.27x, 1.0 round trip per
// window: the move and its answer; a scan is 0.5 ms and one round trip (two
// the first time). The readings live in ClientReadings: stale parts are asked
// together, one mark takes in the events, and while none has come in every
// reading is known fresh at once. fluxbox: 122-147 ms against 35-44 ms,
// 3.4-3.5x, 6.5 round trips per window, of which the reads before each move
// are one; the rest is the write: under fluxbox a size write is sent with
// most moves (the frame reads off the saved size after fluxbox has placed
// the window), the move's answer often takes three round trips (the notice
// does not match, so the geometry is read again), and some windows need the
// second attempt. That is fluxbox settling late, which the write path has to
// wait out.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

#include "BareMove.h"
#include "BenchMain.h"
#include "model/Clock.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/x11/CapturedLayout.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XSession.h"
#include "restore/RestoreService.h"

namespace orvale {
namespace {

using testing::WindowManager;

constexpr int kWindows = 20;

struct Desk {
    explicit Desk(WindowManager manager) {
        session = testing::XSession::startXvfb(2560, 1440);
        session->startWindowManager(manager);
        for (int i = 0; i < kWindows; ++i) {
            const std::string geometry = "40x10+" + std::to_string(60 + (i % 5) * 480) + "+" +
                                         std::to_string(60 + (i / 5) * 330);
            const std::string name = "bench-" + std::to_string(i);
            windows.push_back(session
                                  ->startClient({"xterm", "-class", "Bench" + std::to_string(i),
                                                 "-geometry", geometry},
                                                name)
                                  .window);
        }
        desktop = x11::X11Desktop::open(session->display().c_str());
        service = std::make_unique<WindowService>(desktop->accessibility(), desktop->windowServer(),
                                                  desktop->workspace(), clock);
        restorer = std::make_unique<RestoreService>(*service, clock);
        displays = DisplayService(desktop->screens()).currentDisplays();
        const CapturePreview preview = service->capture(displays, {});
        if (preview.entries.size() != windows.size()) throw std::runtime_error("capture missed");
        layout = testing::capturedLayout(preview, preview.entries, clock);
        for (xcb_window_t window : windows) {
            for (const auto& [id, reference] : preview.references) {
                if (reference->element.handle == window) savedFrames.push_back(reference->frame);
            }
        }
    }

    // Moves every window 40 pixels right and down of where it was saved, as
    // the floor does: one request, then the window manager's answer.
    void moveAway() {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            moveBare(session->connection(), windows[i], savedFrames[i].x + 40,
                     savedFrames[i].y + 40);
        }
    }

    // Puts the windows back and checks that every one was.
    RestoreResult restore() {
        RestoreResult result = restorer->restore(layout, displays, {}, RestoreOptions{});
        for (const EntryResult& entry : result.entries) {
            if (entry.outcome != EntryOutcome::restored) {
                throw std::runtime_error(entry.label + ": " + entry.detail);
            }
        }
        return result;
    }

    std::unique_ptr<testing::XSession> session;
    std::vector<xcb_window_t> windows;
    std::vector<RectD> savedFrames;
    std::unique_ptr<x11::X11Desktop> desktop;
    SystemClock clock;
    std::unique_ptr<WindowService> service;
    std::unique_ptr<RestoreService> restorer;
    std::vector<CurrentDisplay> displays;
    Layout layout;
};

struct Run {
    std::string manager;
    std::vector<double> floorMilliseconds, restoreMilliseconds;
    std::uint64_t roundTrips = 0;

    static double median(std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }
};

std::vector<Run> runs;

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void BM_Restore(benchmark::State& state) {
    const auto manager = static_cast<WindowManager>(state.range(0));
    Desk desk(manager);
    Run run{testing::nameOf(manager), {}, {}, 0};
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        desk.moveAway();
        run.floorMilliseconds.push_back(millisecondsSince(start));
        const std::uint64_t tripsBefore = desk.desktop->connection().roundTrips();
        start = std::chrono::steady_clock::now();
        desk.restore();
        run.restoreMilliseconds.push_back(millisecondsSince(start));
        run.roundTrips += desk.desktop->connection().roundTrips() - tripsBefore;
    }
    state.counters["floor_ms"] = Run::median(run.floorMilliseconds);
    state.counters["restore_ms"] = Run::median(run.restoreMilliseconds);
    runs.push_back(std::move(run));
}

BENCHMARK(BM_Restore)
    ->Arg(static_cast<int>(WindowManager::openbox))
    ->Arg(static_cast<int>(WindowManager::fluxbox))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(9);

}  // namespace
}  // namespace orvale

int main(int argc, char** argv) {
    if (!orvale::runBenchmarks(argc, argv)) return 1;
    for (const auto& run : orvale::runs) {
        const double floor = orvale::Run::median(run.floorMilliseconds);
        const double restore = orvale::Run::median(run.restoreMilliseconds);
        const double rounds = double(run.restoreMilliseconds.size());
        std::printf(
            "%s: a restore of %d windows %.1f ms, %d floor moves %.1f ms: restore / floor = "
            "%.2f (aim at most 3); %.2f round trips per window\n",
            run.manager.c_str(), orvale::kWindows, restore, orvale::kWindows, floor,
            restore / floor, double(run.roundTrips) / (rounds * orvale::kWindows));
    }
    return 0;
}
