// Cost of opening and loading the layout database and of single writes, at the
// size the issue names: 1,000 layouts × 10 windows × 2 displays. Targets on
// the reference machine: open and load under 150 ms, one write under 5 ms.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "storage/LayoutStore.h"

namespace orvale {
namespace {

constexpr int kLayouts = 1000;

std::vector<DisplaySnapshot> twoDisplays() {
    return {DisplaySnapshot{{1552, 41004, 1, 0},
                            {0, 0, 1920, 1080},
                            {0, 25, 1920, 1055},
                            3840,
                            2160,
                            2.0,
                            true,
                            false},
            DisplaySnapshot{{1552, 41004, 2, 0},
                            {1920, 0, 2560, 1440},
                            {1920, 0, 2560, 1440},
                            2560,
                            1440,
                            1.0,
                            false,
                            false}};
}

std::vector<WindowEntry> tenWindows(const std::vector<DisplaySnapshot>& displays) {
    std::vector<WindowEntry> entries;
    for (int i = 0; i < 10; ++i) {
        entries.push_back(
            WindowEntry{Uuid::generate(),
                        "org.example.app" + std::to_string(i),
                        "App " + std::to_string(i),
                        "AXWindow",
                        "AXStandardWindow",
                        i % 3 == 0 ? std::optional<std::string>("example.org") : std::nullopt,
                        displays[i % 2].key(),
                        {0.05 * i, 0.1, 0.4, 0.5}});
    }
    return entries;
}

// One seeded store folder for the whole run, removed at exit.
struct Fixture {
    std::filesystem::path root;
    StorePaths paths;

    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvale-bench-XXXXXX");
        root = ::mkdtemp(pattern.data());
        paths = StorePaths::in(root / "Orvale");
        auto result = LayoutStore::open(paths);
        const auto displays = twoDisplays();
        for (int i = 0; i < kLayouts; ++i) {
            result.store->createLayout("Layout " + std::to_string(i), displays,
                                       tenWindows(displays), std::nullopt);
        }
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

Fixture& fixture() {
    static Fixture shared;
    return shared;
}

void BM_OpenAndLoad(benchmark::State& state) {
    const StorePaths paths = fixture().paths;
    for (auto _ : state) {
        auto result = LayoutStore::open(paths);
        auto layouts = result.store->loadLayouts();
        auto exclusions = result.store->loadExclusions();
        if (layouts.size() < kLayouts) state.SkipWithError("missing layouts");
        benchmark::DoNotOptimize(layouts);
        benchmark::DoNotOptimize(exclusions);
    }
}
BENCHMARK(BM_OpenAndLoad)->Unit(benchmark::kMillisecond);

void BM_LoadLayouts(benchmark::State& state) {
    auto result = LayoutStore::open(fixture().paths);
    for (auto _ : state) benchmark::DoNotOptimize(result.store->loadLayouts());
}
BENCHMARK(BM_LoadLayouts)->Unit(benchmark::kMillisecond);

void BM_CreateLayout(benchmark::State& state) {
    auto result = LayoutStore::open(fixture().paths);
    const auto displays = twoDisplays();
    const auto entries = tenWindows(displays);
    std::vector<Uuid> created;
    int n = 0;
    for (auto _ : state) {
        std::vector<WindowEntry> fresh = entries;
        for (WindowEntry& entry : fresh) entry.id = Uuid::generate();
        created.push_back(
            result.store
                ->createLayout("Bench " + std::to_string(n++), displays, fresh, std::nullopt)
                .id);
    }
    // Outside the timed loop: the fixture keeps its 1,000 layouts.
    for (const Uuid& id : created) result.store->deleteLayout(id);
}
BENCHMARK(BM_CreateLayout)->Unit(benchmark::kMillisecond);

void BM_ReplaceLayoutContent(benchmark::State& state) {
    auto result = LayoutStore::open(fixture().paths);
    const Uuid id = result.store->loadLayouts()[kLayouts / 2].id;
    const auto displays = twoDisplays();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            result.store->replaceLayoutContent(id, displays, tenWindows(displays)));
    }
}
BENCHMARK(BM_ReplaceLayoutContent)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvale
