// A whole `orvale restore` of twenty real windows under openbox on a private
// Xvfb, timed from the process's start to its exit, against two baselines in
// the same run: the floor (twenty bare _NET_MOVERESIZE_WINDOW requests, each
// followed by waiting for that window's ConfigureNotify) and a wmctrl process
// per window. Every round moves the windows away with the floor's moves and
// restores them, then moves them away with wmctrl and restores them again, so
// each restore makes the same twenty moves the baselines made and all meet the
// same load. `orvale --help` (the process alone) and `orvale list` (Qt, the
// store opened and the model's start) are timed in the same rounds, to say how
// much of a restore is start-up.
//
// The windows are xterms, each under a class of its own, so that every one is
// an application of its own and matching never has to ask which is which.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "BareMove.h"
#include "BenchMain.h"
#include "ProgramRun.h"
#include "Timed.h"
#include "platform/x11/XSession.h"
#include "support/TemporaryFolder.h"

namespace orvale {
namespace {

constexpr int kWindows = 20;
constexpr int kRounds = 9;

std::string orvale(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {ORVALE_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return runToEnd(std::move(words));
}

struct Desk {
    Desk() {
        ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        session = testing::XSession::startXvfb(2560, 1440);
        session->startWindowManager();
        ::setenv("DISPLAY", session->display().c_str(), 1);
        for (int i = 0; i < kWindows; ++i) {
            const std::string geometry = "40x10+" + std::to_string(60 + (i % 5) * 480) + "+" +
                                         std::to_string(60 + (i / 5) * 330);
            windows.push_back(session
                                  ->startClient({"xterm", "-class", "Bench" + std::to_string(i),
                                                 "-geometry", geometry},
                                                "bench-" + std::to_string(i))
                                  .window);
            saved.push_back(testing::frameFromTools(*session, windows.back(), 0));
        }
        orvale({"save", "Bench"});
    }

    // Moves every window 40 pixels right and down of where it was saved: one
    // request, then the window manager's answer.
    void moveAwayBare() {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            moveBare(session->connection(), windows[i], saved[i].x + 40, saved[i].y + 40);
        }
    }

    // The same moves, one wmctrl process each; wmctrl does not wait for the
    // window manager.
    void moveAwayWithWmctrl() {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            session->wmctrl(windows[i],
                            {"-e", "0," + std::to_string(int(saved[i].x + 40)) + "," +
                                       std::to_string(int(saved[i].y + 40)) + ",-1,-1"});
        }
    }

    // Untimed: waits until the window manager has moved every window away, so
    // that each restore starts from the same place.
    void awaitMovedAway() {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (!session->waitUntil(
                    [&] { return testing::frameFromTools(*session, windows[i], 0) != saved[i]; })) {
                throw std::runtime_error("a window did not move");
            }
        }
    }

    // Restores the layout and checks that every window was put back.
    void restore() {
        const auto result = nlohmann::json::parse(orvale({"restore", "Bench", "--json"}));
        const auto& entries = result.at("entries");
        if (entries.size() != windows.size()) throw std::runtime_error("entries missing");
        for (const auto& entry : entries) {
            if (entry.at("outcome") != "restored") {
                throw std::runtime_error(entry.at("label").get<std::string>() + ": " +
                                         entry.at("detail").get<std::string>());
            }
        }
    }

    testing::TemporaryFolder folder;
    std::unique_ptr<testing::XSession> session;
    std::vector<xcb_window_t> windows;
    std::vector<RectD> saved;
};

struct Timings {
    std::vector<double> floor, wmctrl, restore, help, list;
};

Timings timings;

void BM_CommandLineRestore(benchmark::State& state) {
    Desk desk;
    for (auto _ : state) {
        timed(timings.floor, [&] { desk.moveAwayBare(); });
        timed(timings.restore, [&] { desk.restore(); });
        timed(timings.wmctrl, [&] { desk.moveAwayWithWmctrl(); });
        desk.awaitMovedAway();
        timed(timings.restore, [&] { desk.restore(); });
        timed(timings.help, [] { orvale({"--help"}); });
        timed(timings.list, [] { orvale({"list"}); });
    }
    state.counters["restore_ms"] = median(timings.restore);
}

BENCHMARK(BM_CommandLineRestore)->Unit(benchmark::kMillisecond)->Iterations(kRounds);

}  // namespace
}  // namespace orvale

int main(int argc, char** argv) {
    if (!orvale::runBenchmarks(argc, argv)) return 1;
    using orvale::median;
    const auto& t = orvale::timings;
    if (t.restore.empty()) return 0;
    const double restore = median(t.restore), floor = median(t.floor), wmctrl = median(t.wmctrl);
    std::printf(
        "Medians of %d rounds, %d windows under openbox:\n"
        "  orvale restore   %.1f ms (start to exit)\n"
        "  floor moves      %.1f ms\n"
        "  wmctrl loop      %.1f ms\n"
        "  orvale --help    %.1f ms (the process alone)\n"
        "  orvale list      %.1f ms (Qt, the store and the model started)\n"
        "restore / floor  = %.2f\n"
        "restore / wmctrl = %.2f\n",
        orvale::kRounds, orvale::kWindows, restore, floor, wmctrl, median(t.help), median(t.list),
        restore / floor, restore / wmctrl);
    return 0;
}
