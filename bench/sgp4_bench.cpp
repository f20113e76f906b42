// The SGP4 model's costs: one sample (state and look angles from the demo station) for a low
// orbit, a 12-hour resonant deep-space orbit and a geostationary one, each a second after the
// one before, as the tracker takes them; and the propagation alone.
#include "orbit/sgp4_look_angles.hpp"

#include <benchmark/benchmark.h>

namespace station {
namespace {

constexpr double radiansPerDegree = 3.14159265358979323846 / 180;
constexpr double dayPerSecond = 1.0 / 86400;

struct BenchSet {
    const char* line1;
    const char* line2;
};

constexpr BenchSet iss{"1 25544U 98067A   26282.82140208  .00006479  00000+0  12652-3 0  9999",
                       "2 25544  51.6314  92.7969 0006774 242.6225 117.4075 15.48793003589525"};
// AO-10: eccentricity 0.6 and a period of 12 hours, the costliest case (ten resonance terms).
constexpr BenchSet ao10{"1 14129U 83058B   26263.04235857 -.00000060  00000+0  00000+0 0  9999",
                        "2 14129  25.9788 204.0605 5980330 141.6651 281.5604  2.05869937297448"};
constexpr BenchSet qo100{"1 43700U 18090A   26141.23980231  .00000137  00000-0  00000-0 0  9995",
                         "2 43700   0.0118 336.9256 0001315 110.7521 263.3265  1.00270752 27401"};

// Samples a second apart over the days after `daysAfterEpoch`, from the demo station.
void sampleEverySecond(benchmark::State& run, const BenchSet& set, double daysAfterEpoch) {
    const KeplerianElementSet elements = parseElementLines(set.line1, set.line2);
    Sgp4Orbit orbit = initialiseSgp4(elements).orbit;
    const GeodeticStation station = geodeticStation(52.35 * radiansPerDegree, 4.92 * radiansPerDegree);
    const double firstDay = elements.epochDay + daysAfterEpoch;
    double day = firstDay;
    for (auto _ : run) {
        const Sgp4Sample sample = sampleSgp4(orbit, station, elements.epochYear, day);
        benchmark::DoNotOptimize(sample.look.elevation);
        benchmark::DoNotOptimize(sample.look.rangeRate);
        day += dayPerSecond;
        if (day > firstDay + 2) {
            day = firstDay;
        }
    }
}

void sgp4SampleLowOrbit(benchmark::State& run) {
    sampleEverySecond(run, iss, 0.5);
}
BENCHMARK(sgp4SampleLowOrbit);

void sgp4SampleDeepSpaceHalfDayResonance(benchmark::State& run) {
    sampleEverySecond(run, ao10, 10);
}
BENCHMARK(sgp4SampleDeepSpaceHalfDayResonance);

void sgp4SampleGeostationary(benchmark::State& run) {
    sampleEverySecond(run, qo100, 10);
}
BENCHMARK(sgp4SampleGeostationary);

void sgp4PropagateLowOrbit(benchmark::State& run) {
    Sgp4Orbit orbit = initialiseSgp4(parseElementLines(iss.line1, iss.line2)).orbit;
    double minutes = 720;
    for (auto _ : run) {
        const Sgp4State state = propagateSgp4(orbit, minutes);
        benchmark::DoNotOptimize(state.positionKm.x);
        minutes += 1.0 / 60;
        if (minutes > 3600) {
            minutes = 720;
        }
    }
}
BENCHMARK(sgp4PropagateLowOrbit);

void sgp4Initialise(benchmark::State& run) {
    const KeplerianElementSet elements = parseElementLines(ao10.line1, ao10.line2);
    for (auto _ : run) {
        const Sgp4Setup setup = initialiseSgp4(elements);
        benchmark::DoNotOptimize(setup.orbit.semiMajorAxis);
    }
}
BENCHMARK(sgp4Initialise);

}  // namespace
}  // namespace station
