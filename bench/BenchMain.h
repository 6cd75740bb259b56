#pragma once

#include <benchmark/benchmark.h>

namespace orvale {

// Runs the benchmarks the command line selects, for a main() that prints its
// own figures afterwards; false when the command line has arguments it does
// not know.
inline bool runBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return false;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}

}  // namespace orvale
