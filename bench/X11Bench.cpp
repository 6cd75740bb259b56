// Moving real windows under openbox on Xvfb, three ways: through setFrame
// (each move verified), through a wmctrl process per move (unverified), and
// the floor: a bare _NET_MOVERESIZE_WINDOW followed by waiting for that
// window's ConfigureNotify. Prints the time per move of each and the ratios.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

#include "model/Clock.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XSession.h"

namespace orvale {
namespace {

constexpr int kWindows = 20;

struct Desk {
    Desk() {
        session = testing::XSession::startXvfb(2560, 1440);
        session->startWindowManager();
        for (int i = 0; i < kWindows; ++i) {
            const std::string geometry = "200x150+" + std::to_string(60 + (i % 5) * 480) + "+" +
                                         std::to_string(60 + (i / 5) * 330);
            windows.push_back(
                session->startClient({"xlogo", "-geometry", geometry}, "bench-" + std::to_string(i))
                    .window);
        }
        desktop = x11::X11Desktop::open(session->display().c_str());
        service = std::make_unique<WindowService>(desktop->accessibility(), desktop->windowServer(),
                                                  desktop->workspace(), clock);
        const ScanOutput scan =
            service->scan(DisplayService(desktop->screens()).currentDisplays(), {});
        for (xcb_window_t window : windows) {
            for (const WindowReferencePtr& reference : scan.windows) {
                if (reference->element.handle == window) references.push_back(reference);
            }
        }
        if (references.size() != windows.size()) throw std::runtime_error("scan missed windows");
    }

    // The frame of window `i` on the `round`th pass: every pass moves every window.
    RectD target(std::size_t i, std::int64_t round) const {
        const RectD& start = references[i]->frame;
        const double shift = round % 2 == 0 ? 40 : 0;
        return {start.x + shift, start.y + shift, start.width, start.height};
    }

    std::unique_ptr<testing::XSession> session;
    std::vector<xcb_window_t> windows;
    std::unique_ptr<x11::X11Desktop> desktop;
    SystemClock clock;
    std::unique_ptr<WindowService> service;
    std::vector<WindowReferencePtr> references;
};

Desk& desk() {
    static Desk instance;
    return instance;
}

std::map<std::string, double> millisecondsPerMove;

// Runs `pass` (all twenty moves) per iteration and records the time per move.
template <typename Pass>
void timeMoves(benchmark::State& state, const std::string& name, Pass pass) {
    std::int64_t round = 0;
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pass(round++);
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
    }
    const double perMove = total / static_cast<double>(round * kWindows);
    millisecondsPerMove[name] = perMove;
    state.counters["ms_per_move"] = perMove;
}

void BM_SetFrame(benchmark::State& state) {
    Desk& d = desk();
    timeMoves(state, "setFrame", [&](std::int64_t round) {
        for (std::size_t i = 0; i < d.references.size(); ++i) {
            const FrameApplyResult result =
                d.service->setFrame(d.target(i, round), *d.references[i]);
            if (!result.after || !result.after->isApproximatelyEqual(result.target, 4)) {
                throw std::runtime_error("setFrame missed its target");
            }
        }
    });
}

void BM_WmctrlLoop(benchmark::State& state) {
    Desk& d = desk();
    timeMoves(state, "wmctrl", [&](std::int64_t round) {
        for (std::size_t i = 0; i < d.windows.size(); ++i) {
            const RectD target = d.target(i, round);
            d.session->run({"wmctrl", "-i", "-r", testing::hex(d.windows[i]), "-e",
                            "0," + std::to_string(static_cast<int>(target.x)) + "," +
                                std::to_string(static_cast<int>(target.y)) + ",-1,-1"});
        }
    });
}

void BM_Floor(benchmark::State& state) {
    Desk& d = desk();
    x11::X11Connection& connection = d.session->connection();
    timeMoves(state, "floor", [&](std::int64_t round) {
        for (std::size_t i = 0; i < d.windows.size(); ++i) {
            const RectD target = d.target(i, round);
            connection.dropPendingEvents();
            xcb_ewmh_request_moveresize_window(
                &connection.ewmh(), connection.screenNumber(), d.windows[i], XCB_GRAVITY_NORTH_WEST,
                XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(XCB_EWMH_MOVERESIZE_WINDOW_X |
                                                                    XCB_EWMH_MOVERESIZE_WINDOW_Y),
                static_cast<std::uint32_t>(target.x), static_cast<std::uint32_t>(target.y), 0, 0);
            const bool answered = connection.waitForEvent(
                [&](const xcb_generic_event_t& event) {
                    return (event.response_type & 0x7F) == XCB_CONFIGURE_NOTIFY &&
                           reinterpret_cast<const xcb_configure_notify_event_t&>(event).window ==
                               d.windows[i];
                },
                std::chrono::steady_clock::now() + std::chrono::seconds(5));
            if (!answered) throw std::runtime_error("no ConfigureNotify");
        }
    });
}

BENCHMARK(BM_SetFrame)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_WmctrlLoop)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
}  // namespace orvale

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    auto& ms = orvale::millisecondsPerMove;
    if (ms.contains("setFrame") && ms.contains("wmctrl") && ms.contains("floor")) {
        std::printf(
            "Per move: setFrame %.3f ms, wmctrl %.3f ms, floor %.3f ms\n"
            "wmctrl / setFrame = %.2f (target at least 2), setFrame / floor = %.2f (target at "
            "most 1.5)\n",
            ms["setFrame"], ms["wmctrl"], ms["floor"], ms["wmctrl"] / ms["setFrame"],
            ms["setFrame"] / ms["floor"]);
    }
    return 0;
}
