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

TrackerFacts trackerFacts(TrackerState& tracker, TrackerActivity activity) {
    const double degreesPerRadian = tracker.constants.degreesPerRadian;
    TrackerFacts f;
    f.heartbeat = static_cast<double>(tracker.console.clock.epochMillis()) / 1000;
    f.activity = activity;
    f.orbitModel = tracker.station.orbitModel == OrbitModel::sgp4 ? "sgp4" : "builtin";
    f.fileWriteFailures = tracker.fileWriteFailures;
    for (const ReconnectingLink* link : {&tracker.rotatorLink, &tracker.radioLink, &tracker.gpsLink}) {
        if (link->present()) {
            f.links.push_back(linkFacts(*link));
        }
    }
    // As the screen shows it, with or without a rotator; none while a restored link waits for it.
    if (std::isfinite(tracker.rotator.lastSentAzimuth) && std::isfinite(tracker.rotator.lastSentElevation)) {
        f.rotator = PointingFacts{tracker.rotator.lastSentAzimuth * degreesPerRadian,
                                  tracker.rotator.lastSentElevation * degreesPerRadian};
    }
    if (activity == TrackerActivity::idle) {
        return f;
    }
    f.satellite = tracker.trackedDesignation;
    const KeplerianElementSet& elements = tracker.orbit.elements;
    f.elementSetAgeSeconds =
        (tracker.continuousNow() - continuousDay(elements.epochYear, elements.epochDay)) * secondsPerDay;
    if (tracker.pass.found && !tracker.pass.geostationary) {
        f.nextAos = unixTimeOf(tracker.pass.year, tracker.pass.aos);
        f.nextLos = unixTimeOf(tracker.pass.year, tracker.pass.los);
    }
    // The values on the screen: none before the first update of this pass, or while the model
    // has no position.
    if (tracker.lastSecond >= 0 && tracker.shownModelError == Sgp4Error::none) {
        const SatelliteState& sat = tracker.satellite;
        // The orbital core counts an approaching satellite's range rate positive.
        f.look = LookFacts{sat.azimuth * degreesPerRadian, sat.elevation * degreesPerRadian,
                           sat.range * metresPerKilometre, -sat.rangeRate * metresPerKilometre};
    }
    if (activity == TrackerActivity::tracking && tracker.frequencies.noFrequencyData != 1) {
        if (tracker.doppler.lastShownRxKhz != 0) {
            f.downlinkHertz = tracker.doppler.lastShownRxKhz * hertzPerKilohertz;
        }
        if (tracker.doppler.lastShownTxKhz != 0) {
            f.uplinkHertz = tracker.doppler.lastShownTxKhz * hertzPerKilohertz;
        }
    }
    return f;
}

}  // namespace station
