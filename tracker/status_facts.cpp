#include "tracker/status_facts.hpp"

#include <cctype>
#include <cmath>

namespace station {

namespace {

constexpr double secondsPerDay = 86400;
constexpr double hertzPerKilohertz = 1000;
constexpr double metresPerKilometre = 1000;

DeviceLinkFacts linkFacts(const ReconnectingLink& link) {
    std::string device = link.role();
    for (char& c : device) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return {device, link.get() != nullptr, link.losses()};
}

}  // namespace

TrackerFacts trackerFacts(TrackerState& s, TrackerActivity activity) {
    const double degreesPerRadian = s.constants.degreesPerRadian;
    TrackerFacts f;
    f.heartbeat = static_cast<double>(s.console.clock.epochMillis()) / 1000;
    f.activity = activity;
    f.orbitModel = s.station.orbitModel == OrbitModel::sgp4 ? "sgp4" : "builtin";
    f.fileWriteFailures = s.fileWriteFailures;
    for (const ReconnectingLink* link : {&s.rotatorLink, &s.radioLink, &s.gpsLink}) {
        if (link->present()) {
            f.links.push_back(linkFacts(*link));
        }
    }
    // As the screen shows it, with or without a rotator; none while a restored link waits for it.
    if (std::isfinite(s.rotator.lastSentAzimuth) && std::isfinite(s.rotator.lastSentElevation)) {
        f.rotator = PointingFacts{s.rotator.lastSentAzimuth * degreesPerRadian,
                                  s.rotator.lastSentElevation * degreesPerRadian};
    }
    if (activity == TrackerActivity::idle) {
        return f;
    }
    f.satellite = s.trackedDesignation;
    const KeplerianElementSet& elements = s.orbit.elements;
    f.elementSetAgeSeconds =
        (s.continuousNow() - continuousDay(elements.epochYear, elements.epochDay)) * secondsPerDay;
    if (s.pass.found && !s.pass.geostationary) {
        f.nextAos = unixTimeOf(s.pass.year, s.pass.aos);
        f.nextLos = unixTimeOf(s.pass.year, s.pass.los);
    }
    // The values on the screen: none before the first update of this pass, or while the model
    // has no position.
    if (s.lastSecond >= 0 && s.shownModelError == Sgp4Error::none) {
        const SatelliteState& sat = s.satellite;
        // The orbital core counts an approaching satellite's range rate positive.
        f.look = LookFacts{sat.azimuth * degreesPerRadian, sat.elevation * degreesPerRadian,
                           sat.range * metresPerKilometre, -sat.rangeRate * metresPerKilometre};
    }
    if (activity == TrackerActivity::tracking && s.frequencies.noFrequencyData != 1) {
        if (s.doppler.lastShownRxKhz != 0) {
            f.downlinkHertz = s.doppler.lastShownRxKhz * hertzPerKilohertz;
        }
        if (s.doppler.lastShownTxKhz != 0) {
            f.uplinkHertz = s.doppler.lastShownTxKhz * hertzPerKilohertz;
        }
    }
    return f;
}

}  // namespace station
