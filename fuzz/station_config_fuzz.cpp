// KELVORIN.CFG as the tracker and the scheduler read it.
#include <cmath>

#include "config/station.hpp"
#include "orbit/constants.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace station;

namespace {

void check(const Station& station) {
    for (const float value : {station.latitude, station.geodeticLatitude, station.longitude, station.searchStep, station.trackingStep,
                              station.parkAzimuth, station.utcOffsetHours, station.dopplerThresholdHz, station.gpsTimeOffsetSeconds}) {
        if (!std::isfinite(value)) {
            fuzz::broken("a single-precision station field is not finite");
        }
    }
    if (!std::isfinite(station.minimumElevation) || !std::isfinite(station.parkElevation)) {
        fuzz::broken("a station angle is not finite");
    }
    for (const double lo : station.converterLo) {
        if (!std::isfinite(lo)) {
            fuzz::broken("a converter frequency is not finite");
        }
    }
    if (!(std::fabs(station.latitude) <= static_cast<float>(programPi / 2))) {
        fuzz::broken("the geocentric latitude lies beyond a pole");
    }
    if (station.orbitModel != OrbitModel::builtIn && station.orbitModel != OrbitModel::sgp4) {
        fuzz::broken("the orbit model is neither of the two");
    }
    if (!(station.dopplerThresholdHz >= 1.0f)) {
        fuzz::broken("the Doppler threshold is below 1 Hz");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& directory = fuzz::scratch();
    directory.write("KELVORIN.CFG", fuzz::textOf(data, size));
    const Files files(directory.path());
    for (const StationReader reader : {StationReader::tracker, StationReader::scheduler}) {
        const auto station = readStationConfig(files, reader);
        if (station) {
            check(*station);
        } else if (station.error() != FileFailure::badValue) {
            fuzz::broken("a station file that was written failed other than by its values");
        }
    }
    return 0;
}
