// The keplerian data file: lookup, propagation, look angles and the pass search of both
// programs, the element age and the pass times as the screens show them.
#include "config/station.hpp"
#include "config/value_reader.hpp"
#include "console/memory.hpp"
#include "fuzz/fuzz_support.hpp"
#include "orbit/geodesy.hpp"
#include "orbit/pass.hpp"
#include "station/search_display.hpp"
#include "text/picture.hpp"
#include "tracker/screen.hpp"

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

void follow(const KeplerianElementSet& elements, const std::string& name) {
    MemoryConsole console(fuzz::scratch().path());
    console.clock.set(2026, 10, 10, 13, 14, 0);
    showElementAge(console.screen, elements, name, searchStart.year, dayNumberOf(searchStart));
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
        const PassPrediction pass =
            predictPass(constants, elements, station, PassSearchSettings{}, time, state, display);
        console.screen.printAt(12, 61, timeOfDayText(pass.aosLocal));
        console.screen.printAt(13, 61, timeOfDayText(pass.losLocal));
        console.screen.printAt(14, 65,
                               formatPicture("##.#", pass.maximumElevation * constants.degreesPerRadian));
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
        Selection selection{name, lookupNameOf(name)};
        fuzz::FatalErrors errors;  // the scheduler ends on every failure of this file
        try {
            if (const auto elements = readElementSet(files, "KEPS.TXT", selection, errors)) {
                follow(*elements, selection.lookupName);
            }
        } catch (const ProgramExit&) {
        }
    }
    return 0;
}
