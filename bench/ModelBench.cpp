// Cost of the geometry rules that run for every window and display change.
#include <benchmark/benchmark.h>

#include "model/Geometry.h"
#include "model/Topology.h"

namespace orvale {
namespace {

std::vector<DisplaySnapshot> displays(int count) {
    std::vector<DisplaySnapshot> list;
    // Listed right to left so the signature has to sort them.
    for (int i = count - 1; i >= 0; --i) {
        const double x = 1920.0 * i;
        list.push_back(DisplaySnapshot{{1552, 41004, static_cast<std::uint32_t>(100 + i), 0},
                                       {x, 0, 1920, 1080},
                                       {x, 25, 1920, 1055},
                                       3840,
                                       2160,
                                       2.0,
                                       i == 0,
                                       false});
    }
    return list;
}

void BM_TopologySignature(benchmark::State& state) {
    const auto list = displays(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(Topology::signature(list));
}
BENCHMARK(BM_TopologySignature)->Arg(1)->Arg(6)->Unit(benchmark::kNanosecond);

void BM_Clamped(benchmark::State& state) {
    const RectD bounds{0, 25, 1512, 957};
    RectD frame{1200.3, 400.7, 800.5, 1200.25};
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame);
        benchmark::DoNotOptimize(frame.clamped(bounds, {200, 100}));
    }
}
BENCHMARK(BM_Clamped)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace orvale
