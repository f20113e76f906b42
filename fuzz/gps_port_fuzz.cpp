// Bytes on the GPS link. The first byte chooses the sentence type (GLL, GGA, RMC) and whether
// the position is taken; the rest arrive on the port at once. The simulated clock advances with
// every sleep, so the read must end by its time bound.
#include <cmath>

#include "config/station.hpp"
#include "console/testsupport/memory.hpp"
#include "fuzz/fuzz_support.hpp"
#include "orbit/constants.hpp"
#include "tracker/gps_control.hpp"

using namespace station;

namespace {
constexpr int gpsPort = 2;
constexpr float configuredLatitude = 0.9f;
constexpr float configuredLongitude = 0.1f;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    MemoryConsole console(fuzz::scratch().path());
    console.clock.set(2026, 10, 1, 12, 0, 0);
    // Far beyond the read's own bound of a few clock seconds.
    console.sleeper.limitMillis = console.clock.millis + 120'000;
    TrackerState s(console.console);
    s.station.gpsPort = gpsPort;
    s.station.gpsBaud = 4800;
    s.station.gpsSentence = static_cast<std::int16_t>(1 + data[0] % 3);
    s.station.useGpsPosition = static_cast<std::int16_t>(data[0] / 3 % 2);
    s.station.latitude = configuredLatitude;
    s.station.longitude = configuredLongitude;
    s.gps.gpsTimeoutSeconds = 2;  // the bound is the same code at any length; short keeps it fast
    s.gpsLink.attach(console.serialPorts.open(gpsPort, s.station.gpsBaud), "COM" + std::to_string(gpsPort), nullptr);
    console.serialPorts.port(gpsPort).feed(std::string(fuzz::textOf(data + 1, size - 1)));
    try {
        readGpsPosition(s);
    } catch (const SimulatedTimeExhausted&) {
        fuzz::broken("the GPS read did not end at its time bound");
    }
    const bool moved = s.station.latitude != configuredLatitude || s.station.longitude != configuredLongitude;
    if (moved && s.station.useGpsPosition != 1) {
        fuzz::broken("the test-only read moved the station");
    }
    if (!(std::fabs(s.station.latitude) <= static_cast<float>(programPi / 2)) ||
        !std::isfinite(s.station.longitude)) {
        fuzz::broken("the GPS gave a station position beyond the globe");
    }
    return 0;
}
