#include <benchmark/benchmark.h>

#include <string>

#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/sim/SimulatedDesktop.h"

namespace orvale {
namespace {

// Twenty applications with five standard windows each on one 2560 × 1440
// display, one of them a browser showing a page.
struct BusyDesktop {
    BusyDesktop() {
        desktop.setRecording(false);
        desktop.plugDisplay({.identity = {1, 2, 3, 0},
                             .frame = {0, 0, 2560, 1440},
                             .visibleFrame = {0, 25, 2560, 1415},
                             .isPrimary = true});
        for (int app = 0; app < 20; ++app) {
            const std::string bundleID =
                app == 0 ? "org.mozilla.firefox" : "org.example.app" + std::to_string(app);
            const auto pid =
                desktop.launch({.bundleID = bundleID, .name = "App " + std::to_string(app)});
            for (int w = 0; w < 5; ++w) {
                SimulatedWindow window{.frame = {20.0 * w + 30 * app, 40.0 + 30 * w, 900, 700}};
                if (app == 0) window.url = "https://www.example.com/page";
                last = desktop.openWindow(pid, window);
            }
        }
        displays = DisplayService(desktop).currentDisplays();
    }

    VirtualClock clock;
    SimulatedDesktop desktop{clock};
    WindowService service{desktop, desktop, desktop, clock};
    std::vector<CurrentDisplay> displays;
    AXElement last;
};

void BM_ScanTwentyApplicationsOfFiveWindows(benchmark::State& state) {
    BusyDesktop busy;
    for (auto _ : state) {
        ScanOutput output = busy.service.scan(busy.displays, {});
        if (output.windows.size() != 100) state.SkipWithError("the scan missed windows");
        benchmark::DoNotOptimize(output);
    }
}
BENCHMARK(BM_ScanTwentyApplicationsOfFiveWindows)->Unit(benchmark::kMicrosecond);

void BM_SetFrame(benchmark::State& state) {
    BusyDesktop busy;
    const ScanOutput output = busy.service.scan(busy.displays, {});
    const WindowReference& reference = *output.windows.back();
    const RectD targets[] = {{100, 100, 800, 600}, {400, 300, 1000, 700}};
    std::size_t next = 0;
    for (auto _ : state) {
        FrameApplyResult result = busy.service.setFrame(targets[next], reference);
        if (result.after != targets[next]) state.SkipWithError("the window did not land");
        next = 1 - next;
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_SetFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvale
