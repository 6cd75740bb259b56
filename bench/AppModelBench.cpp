// What the model adds to a restore: admission, the hand-offs to the restore
// executor and back, progress reports and publishing the result. Both runs
// restore the same 50 windows on a simulated desktop whose answers cost no
// time; the engine called directly is the baseline.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "BenchMain.h"
#include "SimulatedModelParts.h"
#include "app/AppModel.h"
#include "app/ManualMainThread.h"
#include "cli/CommandLinePorts.h"
#include "model/VirtualClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedSession.h"

namespace orvale {
namespace {

constexpr int kWindows = 50;

struct Bench : SimulatedModelParts {
    std::vector<AXElement> elements;
    std::vector<RectD> starts;
    Layout layout;

    Bench() : SimulatedModelParts("model-bench") {
        const RectD studio{0, 0, 2560, 1440};
        desktop.plugDisplay({0, {2, 2, 2, 0}, "Studio", studio, studio, 1, 0, 0, true});
        const auto displays = DisplayService(desktop).currentDisplays();
        layout.name = "Bench";
        layout.displays = snapshots(displays);
        for (int i = 0; i < kWindows; ++i) {
            SimulatedApplication app;
            app.bundleID = "com.example.app" + std::to_string(i);
            app.name = "App " + std::to_string(i);
            SimulatedWindow window;
            window.frame = {10.0 + 5 * i, 40.0 + 5 * i, 600, 400};
            starts.push_back(window.frame);
            elements.push_back(desktop.openWindow(desktop.launch(app), window));
            WindowEntry entry;
            entry.id = Uuid::generate();
            entry.bundleID = *app.bundleID;
            entry.appName = *app.name;
            entry.role = "AXWindow";
            entry.subrole = "AXStandardWindow";
            entry.displayKey = displays[0].id();
            entry.relativeFrame = RelativeFrame::make({20.0 * i, 10.0 * i, 800, 600}, studio);
            layout.entries.push_back(entry);
        }
        desktop.setRecording(false);
        auto opened = LayoutStore::open(StorePaths::in(folder));
        layout = opened.store->createLayout(layout.name, layout.displays, layout.entries, {});
    }

    void putWindowsBack() {
        for (int i = 0; i < kWindows; ++i) {
            SimulatedWindow window = desktop.window(elements[i]);
            window.frame = starts[i];
            desktop.updateWindow(elements[i], window);
        }
    }
};

double engineMicroseconds = 0;
double modelMicroseconds = 0;

// Times `restore` over the benchmark's rounds, each from the same shuffled
// windows; answers microseconds per window. `restore` answers whether every
// window was put back.
template <typename Restore>
double timePerWindow(benchmark::State& state, Bench& bench, Restore restore) {
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench.putWindowsBack();
        state.ResumeTiming();
        const auto begin = std::chrono::steady_clock::now();
        const bool restored = restore();
        total += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin)
                     .count();
        if (!restored) state.SkipWithError("not every window was restored");
    }
    const double perWindow = total / (static_cast<double>(state.iterations()) * kWindows);
    state.counters["us_per_window"] = perWindow;
    return perWindow;
}

void BM_EngineRestore(benchmark::State& state) {
    Bench bench;
    WindowService windowService(bench.desktop, bench.desktop, bench.desktop, bench.clock);
    RestoreService service(windowService, bench.clock);
    const auto displays = DisplayService(bench.desktop).currentDisplays();
    engineMicroseconds = timePerWindow(state, bench, [&] {
        return service.restore(bench.layout, displays, {}, RestoreOptions{}).exactCount == kWindows;
    });
}
BENCHMARK(BM_EngineRestore)->Unit(benchmark::kMillisecond);

void BM_ModelRestore(benchmark::State& state) {
    Bench bench;
    AppModel model(bench.dependencies());
    bench.settle();
    modelMicroseconds = timePerWindow(state, bench, [&] {
        model.restoreLayout(bench.layout.id);
        bench.settle();
        return model.lastResult() && model.lastResult()->exactCount == kWindows;
    });
}
BENCHMARK(BM_ModelRestore)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvale

int main(int argc, char** argv) {
    if (!orvale::runBenchmarks(argc, argv)) return 1;
    if (orvale::engineMicroseconds > 0 && orvale::modelMicroseconds > 0) {
        std::printf("model overhead: %.2f µs per window; model/engine %.3f\n",
                    orvale::modelMicroseconds - orvale::engineMicroseconds,
                    orvale::modelMicroseconds / orvale::engineMicroseconds);
    }
    return 0;
}
