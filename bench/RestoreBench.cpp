// How long the restore engine spends per window, on a simulated desktop whose
// answers cost no time, so what is measured is the engine's own work plus the
// in-memory calls it makes.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "model/VirtualClock.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/sim/SimulatedDesktop.h"
#include "restore/RestoreService.h"

namespace orvale {
namespace {

void BM_RestoreWindows(benchmark::State& state) {
    const auto windowCount = static_cast<int>(state.range(0));
    VirtualClock clock;
    SimulatedDesktop desktop(clock);
    const RectD laptop{0, 0, 1512, 982};
    const RectD studio{1512, 0, 2560, 1440};
    desktop.plugDisplay({0, {1, 1, 1, 0}, "Built-in", laptop, {0, 25, 1512, 957}, 2, 0, 0, true});
    desktop.plugDisplay({0, {2, 2, 2, 0}, "Studio", studio, studio, 1, 0, 0, false});
    WindowService windowService(desktop, desktop, desktop, clock);
    RestoreService service(windowService, clock);
    const std::vector<CurrentDisplay> displays = DisplayService(desktop).currentDisplays();

    Layout layout;
    layout.name = "Bench";
    layout.displays = snapshots(displays);
    std::vector<AXElement> windows;
    std::vector<RectD> starts;
    for (int i = 0; i < windowCount; ++i) {
        const std::string name = "App " + std::to_string(i);
        SimulatedApplication app;
        app.bundleID = "com.example.app" + std::to_string(i);
        app.name = name;
        const auto pid = desktop.launch(app);
        SimulatedWindow window;
        window.frame = {10.0 + 5 * i, 40.0 + 5 * i, 600, 400};
        starts.push_back(window.frame);
        windows.push_back(desktop.openWindow(pid, window));

        WindowEntry entry;
        entry.id = Uuid::generate();
        entry.bundleID = *app.bundleID;
        entry.appName = name;
        entry.role = "AXWindow";
        entry.subrole = "AXStandardWindow";
        entry.displayKey = displays[1].id();
        entry.relativeFrame =
            RelativeFrame::make({1512.0 + 20 * i, 20.0 * (i % 30), 800, 600}, studio);
        layout.entries.push_back(entry);
    }

    double totalMicroseconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < windowCount; ++i) {
            SimulatedWindow window = desktop.window(windows[i]);
            window.frame = starts[i];
            desktop.updateWindow(windows[i], window);
        }
        desktop.clearActions();
        state.ResumeTiming();

        const auto begin = std::chrono::steady_clock::now();
        const RestoreResult result = service.restore(layout, displays, {}, RestoreOptions{});
        const auto end = std::chrono::steady_clock::now();
        totalMicroseconds += std::chrono::duration<double, std::micro>(end - begin).count();
        if (result.exactCount != windowCount) state.SkipWithError("not every window was restored");
        benchmark::DoNotOptimize(result);
    }
    state.counters["us_per_window"] =
        totalMicroseconds / (static_cast<double>(state.iterations()) * windowCount);
}
BENCHMARK(BM_RestoreWindows)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvale
