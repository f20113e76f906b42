// The keplerian data file: lookup, propagation, look angles and the pass search of both
// programs with each orbit model, the element age and the pass times as the screens show them.
#include "config/station.hpp"
#include "config/value_reader.hpp"
#include "console/testsupport/memory.hpp"
#include "fuzz/fuzz_support.hpp"
#include "orbit/geodesy.hpp"
#include "orbit/orbit_model.hpp"
#include "orbit/pass.hpp"
#include "station/search_display.hpp"
#include "text/picture.hpp"
#include "tracker/screen.hpp"

#include <cmath>

using namespace station;

namespace {

constexpr double radiansPerDegree = programPi / 180;
const ClockTime searchStart{2026, 10, 10, 13.0f, 14.0f, 0.0f};

StationPosition demoStation(bool scheduler) {
    const auto latitude = static_cast<float>(52.35 * radiansPerDegree);
    const auto longitude = static_cast<float>(4.92 * radiansPerDegree);
    return {static_cast<float>(scheduler ? schedulerGeocentricLatitude(latitude, longitude)
                                         : trackerGeocentricLatitude(latitude)),
            longitude};
}

void showPass(Screen& screen, const OrbitConstants& constants, const PassPrediction& pass) {
    screen.printAt(12, 61, timeOfDayText(pass.aosLocal));
    screen.printAt(13, 61, timeOfDayText(pass.losLocal));
    screen.printAt(14, 65, formatPicture("##.#", pass.maximumElevation * constants.degreesPerRadian));
}

// A position the SGP4 model gives is a place in the sky.
void checkSgp4Sample(const SatelliteState& state) {
    if (!(state.azimuth >= 0 && state.azimuth < 2 * programPi) ||
        !(std::fabs(state.elevation) <= programPi / 2) || !(state.range >= 0) ||
        !std::isfinite(state.rangeRate) || !std::isfinite(state.altitude)) {
        fuzz::broken("an SGP4 sample without an error is no direction, range or rate");
    }
}

void followWithSgp4(const KeplerianElementSet& elements, MemoryConsole& console) {
    SatelliteOrbit orbit = satelliteOrbit(OrbitModel::sgp4, elements);
    if (!orbit.problem.empty()) {
        return;
    }
    for (const OrbitConstants& constants : {trackerConstants(searchStart), schedulerConstants()}) {
        const ObserverSite site =
            observerSite(demoStation(constants.scheduler()), static_cast<float>(52.35 * radiansPerDegree));
        SatelliteState state;
        for (const float minute : {0.0f, 14.0f, 1e4f}) {
            ClockTime time = searchStart;
            time.minute = minute;
            if (sampleOrbit(constants, orbit, site, time, state) == Sgp4Error::none) {
                checkSgp4Sample(state);
            }
        }
        ClockTime time = searchStart;
        ScreenPassSearchDisplay display(console.screen, console.clock);
        showPass(console.screen, constants,
                 predictPass(constants, orbit, site, PassSearchSettings{}, time, state, display));
    }
}

void follow(const KeplerianElementSet& elements, const std::string& name) {
    MemoryConsole console(fuzz::scratch().path());
    console.clock.set(2026, 10, 10, 13, 14, 0);
    showElementAge(console.screen, elements, name, searchStart.year, dayNumberOf(searchStart));
    followWithSgp4(elements, console);
    if (!elementSetProblem(elements).empty()) {
        return;
    }
    for (const OrbitConstants& constants : {trackerConstants(searchStart), schedulerConstants()}) {
        const StationPosition station = demoStation(constants.scheduler());
        SatelliteState state;
        for (const float minute : {0.0f, 14.0f, 1e4f}) {
            ClockTime time = searchStart;
            time.minute = minute;
            propagate(constants, elements, time, state);
            lookAngles(constants, station, state);
        }
        ClockTime time = searchStart;
        ScreenPassSearchDisplay display(console.screen, console.clock);
        showPass(console.screen, constants,
                 predictPass(constants, elements, station, PassSearchSettings{}, time, state, display));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    const auto& directory = fuzz::scratch();
    directory.write("KEPS.TXT", text);
    const Files files(directory.path());
    const auto lines = splitLines(text);
    const std::string firstName = lines.empty() ? std::string() : upperCase(lines.front());
    for (const std::string& name : {std::string("ISS"), firstName}) {
        const std::string lookupName = lookupNameOf(name);
        if (const auto elements = readElementSet(files, "KEPS.TXT", lookupName)) {
            follow(*elements, lookupName);
        }
    }
    return 0;
}
