// KELVORIN.CFG values into the pass search of both programs: the tracker's element age, search,
// pass times and flip decision, and the scheduler's schedule, live panel and list of watched
// passes, for a low, a high and a geostationary satellite (whose "pass" is a year from now).
// Steps below 10 s are left out: they are legal and slow by their nature (a satellite that
// never rises costs seconds per search at 0.1 s), which the time bound here would call a hang.
#include "console/testsupport/memory.hpp"
#include "fuzz/fuzz_support.hpp"
#include "config/scheduler_settings.hpp"
#include "scheduler/scheduler.hpp"
#include "station/date_time.hpp"
#include "station/search_display.hpp"
#include "tracker/rotator_control.hpp"
#include "tracker/screen.hpp"

using namespace station;

namespace {

constexpr float shortestSearchedStepMinutes = 10.0f / 60;

const std::string schedulerFile = [] {
    std::string text = "ISS\nAO-7\nQO-100\n";
    text += std::string(12, '\n');
    text += "SO-50\nQO-100\n";
    text += std::string(13, '\n');
    return text + "10\n1\n15\n14\n";
}();

bool searchable(const Station& station) {
    return !(station.searchStep > 0 && station.searchStep < shortestSearchedStepMinutes);
}

void trackerSearches(const Files& files, MemoryConsole& console) {
    TrackerState s(console.console);
    const auto station = readStationConfig(files);
    if (!station) {
        return;
    }
    s.station = *station;
    if (!searchable(s.station)) {
        return;
    }
    s.constants = trackerConstants(readClock(console.clock, 0));
    static const KeplerianElementSet low = fuzz::demoElements("ISS");
    static const KeplerianElementSet high = fuzz::demoElements("AO-7");
    static const KeplerianElementSet geostationary = fuzz::demoElements("QO-100");
    for (const KeplerianElementSet* elements : {&low, &high, &geostationary}) {
        s.orbit = satelliteOrbit(s.station.orbitModel, *elements);
        s.clock = readClock(console.clock, s.station.utcOffsetHours);
        showElementAge(s.screen(), s.orbit.elements, "ISS", s.clock.year, s.now());
        PassSearchSettings settings;
        settings.minimumElevation = s.station.minimumElevation;
        settings.searchStep = s.station.searchStep;
        settings.utcOffsetHours = s.station.utcOffsetHours;
        ScreenPassSearchDisplay display(console.screen, console.clock);
        s.pass = predictPass(s.constants, s.orbit, observerOf(s.station), settings, s.clock, s.satellite, display);
        if (s.pass.found && !s.pass.geostationary) {
            showPassTimes(s);
            try {
                decideFlip(s);
            } catch (const ProgramExit&) {
            }
            s.trackingStarted();
        }
    }
}

void schedulerSearches(MemoryConsole& console) {
    Scheduler scheduler(console.console);
    console.keyboard.push("x");  // for the key a fatal error waits for
    try {
        scheduler.startUp();
        if (!searchable(scheduler.station)) {
            return;
        }
        scheduler.readSettings();
        scheduler.loadElementSets();
        scheduler.buildSchedule();
        scheduler.showRealtimeView();
        scheduler.buildNonScheduledTable();
        scheduler.passList = PassListState::current;
        scheduler.showNonScheduledPasses();
    } catch (const ProgramExit&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& directory = fuzz::scratch();
    static const bool stationReady = [&directory] {
        std::filesystem::copy_file(std::filesystem::path(FUZZ_DEMO_DIR) / "KEPS.TXT",
                                   directory.path() / "KEPS.TXT",
                                   std::filesystem::copy_options::overwrite_existing);
        directory.write("MIRADOS.CFG", schedulerFile);
        return true;
    }();
    (void)stationReady;
    directory.write("KELVORIN.CFG", fuzz::textOf(data, size));
    const Files files(directory.path());

    MemoryConsole console(directory.path());
    // Inside a pass of ISS over the demo station: the search starts with the satellite up.
    console.clock.set(2026, 10, 10, 13, 14, 0);
    trackerSearches(files, console);
    MemoryConsole schedulerConsole(directory.path());
    schedulerConsole.clock.set(2026, 10, 10, 13, 14, 0);
    schedulerSearches(schedulerConsole);
    return 0;
}
