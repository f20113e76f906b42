// The orbital core's costs: one position sample, and one pass search for a low satellite from
// some hours before its pass, with the date and time line redrawn by three kinds of display, and
// the same search with each orbit model.
#include "console/testsupport/memory.hpp"
#include "orbit/geodesy.hpp"
#include "orbit/pass.hpp"
#include "station/date_time.hpp"
#include "station/search_display.hpp"

#include <benchmark/benchmark.h>


namespace station {
namespace {

constexpr double radiansPerDegree = programPi / 180;

// The ISS set of the demo station's element file.
KeplerianElementSet issElements() {
    return parseElementLines("1 25544U 98067A   26282.82140208  .00006479  00000+0  12652-3 0  9999",
                             "2 25544  51.6314  92.7969 0006774 242.6225 117.4075 15.48793003589525");
}

StationPosition demoStation() {
    return {static_cast<float>(trackerGeocentricLatitude(static_cast<float>(52.35 * radiansPerDegree))),
            static_cast<float>(4.92 * radiansPerDegree)};
}

// The first ISS pass over the demo station after this instant begins at 06:44 UTC.
const ClockTime searchStart{2026, 10, 10, 0.0f, 0.0f, 0.0f};

void propagateAndLookAngles(benchmark::State& run) {
    const OrbitConstants constants = trackerConstants(searchStart);
    const KeplerianElementSet elements = issElements();
    const StationPosition station = demoStation();
    SatelliteState state;
    ClockTime time = searchStart;
    for (auto _ : run) {
        propagate(constants, elements, time, state);
        lookAngles(constants, station, state);
        benchmark::DoNotOptimize(state.elevation);
        time.second += 1;
        if (time.second > 86400) {
            time.second = 0;
        }
    }
}
BENCHMARK(propagateAndLookAngles);

// Redraws the line at every sample, the way the search would without the second test.
class EverySampleDisplay : public PassSearchDisplay {
public:
    EverySampleDisplay(Screen& screen, Clock& clock) : screen_(screen), clock_(clock) {}
    void showDateTime() override { station::showDateTime(screen_, clock_); }

private:
    Screen& screen_;
    Clock& clock_;
};

template <typename Display>
void predictLeoPass(benchmark::State& run, Display& display, OrbitModel model = OrbitModel::builtIn) {
    const OrbitConstants constants = trackerConstants(searchStart);
    SatelliteOrbit orbit = satelliteOrbit(model, issElements());
    const ObserverSite site = observerSite(demoStation(), static_cast<float>(52.35 * radiansPerDegree));
    PassSearchSettings settings;
    settings.searchStep = 1;  // 60 seconds
    SatelliteState state;
    std::size_t samples = 0;
    for (auto _ : run) {
        ClockTime time = searchStart;
        const PassPrediction pass = predictPass(constants, orbit, site, settings, time, state, display);
        benchmark::DoNotOptimize(pass.maximumElevation);
    }
    {
        // Samples per search, for the report.
        struct Counting : PassSearchDisplay {
            std::size_t count = 0;
            void showDateTime() override { ++count; }
        } counting;
        ClockTime time = searchStart;
        predictPass(constants, orbit, site, settings, time, state, counting);
        samples = counting.count;
    }
    run.counters["samples"] = static_cast<double>(samples);
}

void predictPassNoDisplay(benchmark::State& run) {
    PassSearchDisplay display;
    predictLeoPass(run, display);
}
BENCHMARK(predictPassNoDisplay)->Unit(benchmark::kMicrosecond);

void predictPassSgp4NoDisplay(benchmark::State& run) {
    PassSearchDisplay display;
    predictLeoPass(run, display, OrbitModel::sgp4);
}
BENCHMARK(predictPassSgp4NoDisplay)->Unit(benchmark::kMicrosecond);

// The tracker's once-a-second sample through the model seam, with each model.
void sampleThroughTheSeam(benchmark::State& run, OrbitModel model) {
    const OrbitConstants constants = trackerConstants(searchStart);
    SatelliteOrbit orbit = satelliteOrbit(model, issElements());
    const ObserverSite site = observerSite(demoStation(), static_cast<float>(52.35 * radiansPerDegree));
    SatelliteState state;
    ClockTime time = searchStart;
    for (auto _ : run) {
        sampleOrbit(constants, orbit, site, time, state);
        benchmark::DoNotOptimize(state.elevation);
        time.second += 1;
        if (time.second > 86400) {
            time.second = 0;
        }
    }
}
void sampleBuiltInModel(benchmark::State& run) { sampleThroughTheSeam(run, OrbitModel::builtIn); }
BENCHMARK(sampleBuiltInModel);
void sampleSgp4Model(benchmark::State& run) { sampleThroughTheSeam(run, OrbitModel::sgp4); }
BENCHMARK(sampleSgp4Model);

void predictPassScreenDisplay(benchmark::State& run) {
    MemoryConsole mc;
    mc.clock.set(2026, 10, 10, 2, 0, 0);
    ScreenPassSearchDisplay display(mc.screen, mc.clock);
    predictLeoPass(run, display);
}
BENCHMARK(predictPassScreenDisplay)->Unit(benchmark::kMicrosecond);

void predictPassRedrawEverySample(benchmark::State& run) {
    MemoryConsole mc;
    mc.clock.set(2026, 10, 10, 2, 0, 0);
    EverySampleDisplay display(mc.screen, mc.clock);
    predictLeoPass(run, display);
}
BENCHMARK(predictPassRedrawEverySample)->Unit(benchmark::kMicrosecond);

// A satellite that never rises over the station (equatorial, 500 km up, seen from 52 degrees
// north): the search runs to its bound of 10 days, so its cost is the step's. Argument: the
// search step in tenths of a second, as KELVORIN.CFG would give it in seconds.
void predictPassNeverRises(benchmark::State& run, const OrbitConstants& constants,
                           OrbitModel model = OrbitModel::builtIn) {
    KeplerianElementSet equatorial;
    equatorial.epochYear = searchStart.year;
    equatorial.epochDay = dayNumberOf(searchStart);
    equatorial.meanMotion = 15.2;
    SatelliteOrbit orbit = satelliteOrbit(model, equatorial);
    const ObserverSite site = observerSite(demoStation(), static_cast<float>(52.35 * radiansPerDegree));
    PassSearchSettings settings;
    settings.searchStep = static_cast<float>(run.range(0) / 10.0 / 60.0);
    SatelliteState state;
    struct Counting : PassSearchDisplay {
        std::size_t count = 0;
        void showDateTime() override { ++count; }
    } counting;
    for (auto _ : run) {
        counting.count = 0;
        ClockTime time = searchStart;
        const PassPrediction pass = predictPass(constants, orbit, site, settings, time, state, counting);
        if (pass.found) {
            run.SkipWithError("the satellite rose");
        }
    }
    run.counters["samples"] = static_cast<double>(counting.count);
}

void trackerSearchNeverRises(benchmark::State& run) {
    predictPassNeverRises(run, trackerConstants(searchStart));
}
BENCHMARK(trackerSearchNeverRises)->Arg(600)->Arg(100)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond);

void trackerSearchNeverRisesSgp4(benchmark::State& run) {
    predictPassNeverRises(run, trackerConstants(searchStart), OrbitModel::sgp4);
}
BENCHMARK(trackerSearchNeverRisesSgp4)->Arg(600)->Arg(100)->Unit(benchmark::kMillisecond);

void schedulerSearchNeverRises(benchmark::State& run) { predictPassNeverRises(run, schedulerConstants()); }
BENCHMARK(schedulerSearchNeverRises)->Arg(600)->Arg(100)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace station
