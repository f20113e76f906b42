// The two orbit models' differences on the shared element sets, measured as the test that bounds
// them does (orbit/tests/model_differences_test.cpp) and printed for the record once; the time is
// that of measuring every set.
#include "orbit/tests/model_differences.hpp"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace station {
namespace {

using testing::ModelDifferences;

void printRow(const char* name, const ModelDifferences& d, const char* note) {
    std::printf("%-12s %6.3f %6.3f %6.2f %6.2f %6.3f %6.3f %7.2f %7.2f %6.1f %6.1f %5.1f %5.1f %5.1f %5.1f %5.2f "
                "%5.2f %3d%s\n",
                name, d.elevation.rms(), d.elevation.maximum, d.azimuth.rms(), d.azimuth.maximum, d.pointing.rms(),
                d.pointing.maximum, d.range.rms(), d.range.maximum, d.rangeRate.rms(), d.rangeRate.maximum,
                d.aos.rms(), d.aos.maximum, d.los.rms(), d.los.maximum, d.maximumElevation.rms(),
                d.maximumElevation.maximum, d.passes, note);
}

void modelDifferencesOnTheSharedSets(benchmark::State& run) {
    const std::vector<testing::NamedSet> sets = testing::realSets();
    bool printed = false;
    for (auto _ : run) {
        if (!printed) {
            std::printf("rms/max of built-in minus SGP4: elevation, azimuth (up, below 80), pointing (up) in "
                        "degrees; range km; range rate (up) m/s; AOS, LOS s; maximum elevation degrees; passes\n");
        }
        ModelDifferences lowOrbits;
        int lowSets = 0;
        for (const testing::NamedSet& set : sets) {
            const bool low = testing::isLowOrbit(set.elements);
            const ModelDifferences d = testing::measureModelDifferences(set.elements, low);
            if (!printed) {
                printRow(set.name.c_str(), d, low ? "" : "  (deep space)");
            }
            if (low) {
                lowOrbits.add(d);
                ++lowSets;
            }
        }
        if (!printed) {
            std::printf("%d low orbits, %d passes of the built-in model not found by SGP4:\n", lowSets,
                        lowOrbits.unmatched);
            printRow("together", lowOrbits, "");
            printed = true;
        }
        benchmark::DoNotOptimize(lowOrbits.passes);
    }
    run.counters["sets"] = static_cast<double>(sets.size());
}
BENCHMARK(modelDifferencesOnTheSharedSets)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace station
