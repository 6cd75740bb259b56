// Cost of opening and loading the layout database, and of single writes, at
// 1,000 layouts × 10 windows × 2 displays. Target: opening and loading in at
// most 40 ms. Printed at the end against the floor measured in the same run:
// one connection stepping through every row of the three tables.
//
// Where the time went (callgrind, instructions per open-and-load):
//   before, 465 M: the read-only probe loaded everything strictly (172 M) and
//   the first loadLayouts did it all again (173 M); quick check on the probe
//   and again on the live connection (2 × 37 M); foreign-key check (38 M).
//   Each load ran two queries per layout: the displays query sorted by ordinal
//   (37 M a load), the window rows cost 125 M, a fifth of it libuuid's parser
//   (strtoul) and another third text columns copied through std::optional.
//   after, 161 M: one strict load on the probe (90 M: one pass over each table,
//   rows grouped by layout in memory and checked in the old order; stepping
//   35 M, text 15 M, checks 9 M, identifiers 7 M), handed to the store so that
//   its first loadLayouts reads nothing; quick check once (31 M); foreign-key
//   check (38 M). The probe's cache holds the file, so it is read from disk
//   once rather than three times. (Taking SQLite's connection mutex or not
//   made no difference that the ratios could show.)
// Wall time on the 2-core build machine, before and after built side by side:
//   load average about 1: before 110–120 ms (every row selected 5.6–7.0 ms,
//   ratio 16–20), after 29–34 ms with one run at 48 ms (5.9–8.0 ms, ratio
//   3.8–8.0); load average 3 to 5: before 90–131 ms, after 29–64 ms.
//   Single writes: about 1 ms, and about 2 ms once every commit is flushed to
//   disk (synchronous = FULL).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>

#include "BenchMain.h"
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

std::map<std::string, double> milliseconds;

// Runs `body` per iteration and records its mean wall time under `name`.
template <typename Body>
void timed(benchmark::State& state, const std::string& name, Body body) {
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        body();
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
    }
    milliseconds[name] = total / static_cast<double>(state.iterations());
}

// The floor: one connection opened and every row of the three tables stepped
// through, nothing decoded or checked.
void BM_SelectEveryRow(benchmark::State& state) {
    const StorePaths paths = fixture().paths;
    timed(state, "select", [&] {
        SQLiteDatabase database(paths.database, SQLiteDatabase::OpenMode::readOnly,
                                SQLiteDatabase::JournalPolicy::unchanged, 100);
        std::int64_t rows = 0;
        for (const char* sql :
             {"SELECT * FROM layouts", "SELECT * FROM displays", "SELECT * FROM windows"}) {
            SQLiteStatement statement(database, sql);
            while (statement.step()) ++rows;
        }
        if (rows != kLayouts * 13) state.SkipWithError("missing rows");
    });
}
BENCHMARK(BM_SelectEveryRow)->Unit(benchmark::kMillisecond);

void BM_OpenAndLoad(benchmark::State& state) {
    const StorePaths paths = fixture().paths;
    timed(state, "openAndLoad", [&] {
        auto result = LayoutStore::open(paths);
        auto layouts = result.store->loadLayouts();
        auto exclusions = result.store->loadExclusions();
        if (layouts.size() < kLayouts) state.SkipWithError("missing layouts");
        benchmark::DoNotOptimize(layouts);
        benchmark::DoNotOptimize(exclusions);
    });
}
BENCHMARK(BM_OpenAndLoad)->Unit(benchmark::kMillisecond);

void BM_LoadLayouts(benchmark::State& state) {
    auto result = LayoutStore::open(fixture().paths);
    timed(state, "load", [&] { benchmark::DoNotOptimize(result.store->loadLayouts()); });
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

int main(int argc, char** argv) {
    if (!orvale::runBenchmarks(argc, argv)) return 1;
    auto& ms = orvale::milliseconds;
    if (ms.contains("openAndLoad") && ms.contains("select") && ms.contains("load")) {
        std::printf(
            "Open and load %.1f ms (target at most 40 ms), load alone %.1f ms, every row "
            "selected %.1f ms\nopen and load / select = %.2f, load / select = %.2f\n",
            ms["openAndLoad"], ms["load"], ms["select"], ms["openAndLoad"] / ms["select"],
            ms["load"] / ms["select"]);
    }
    return 0;
}
