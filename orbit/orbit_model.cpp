#include "orbit/orbit_model.hpp"

#include "orbit/geodesy.hpp"
#include "orbit/sgp4_constants.hpp"

#include <algorithm>
#include <cmath>

namespace station {

namespace {

constexpr double phaseUnitsPerTurn = 256;
// Steps of the search for the end of an orbit: well inside the days between a decay and the
// drag terms' states after it, and few enough to cost little against a pass search.
constexpr double endSearchStepMinutes = 120;
constexpr double endSearchAheadMinutes = 1440;

// Makes sure the orbit's end is known up to `minutes` after the epoch, searching a day ahead so
// that a search moving forward steps only once a day.
void findEndUntil(SatelliteOrbit& orbit, double minutes) {
    if (!(minutes > orbit.checkedUntilMinutes) || !(minutes < orbit.endMinutes)) {
        return;
    }
    // An instant the model refuses by itself (a century away) is not searched up to.
    if (propagateSgp4(orbit.sgp4, minutes).error == Sgp4Error::tooFarFromEpoch) {
        return;
    }
    const double until = minutes + endSearchAheadMinutes;
    double step = orbit.checkedUntilMinutes;
    while (step < until) {
        step += endSearchStepMinutes;
        const Sgp4Error error = propagateSgp4(orbit.sgp4, step).error;
        if (error != Sgp4Error::none && error != Sgp4Error::tooFarFromEpoch) {
            orbit.endMinutes = step;
            orbit.endError = error;
            break;
        }
    }
    orbit.checkedUntilMinutes = std::min(step, orbit.endMinutes);
}

// The SGP4 sample in the record both programs work on.
void takeSgp4Sample(const OrbitConstants& constants, const Sgp4Sample& sample, const ObserverSite& site,
                    SatelliteState& state) {
    const Sgp4LookAngles& look = sample.look;
    state.orbitRadius = look.orbitRadius;
    state.latitude = look.latitude;
    state.latitudeGeodetic = true;
    state.longitude = look.longitude;
    state.altitude = look.altitude;
    state.phase = static_cast<float>(phaseUnitsPerTurn * sample.state.meanAnomaly / sgp4::twoPi);
    state.azimuth = look.azimuth;
    state.elevation = look.elevation;
    // The great circle on the mean Earth radius, as the built-in model measures it, between the
    // geodetic latitudes of station and sub-satellite point.
    const GeodeticStation& station = site.geodetic;
    const double psi =
        arcCos(station.sinLatitude * std::sin(look.latitude) +
               station.cosLatitude * std::cos(look.latitude) * std::cos(look.longitude - station.longitude));
    state.groundDistance = psi * constants.meanEarthRadiusKm;
    state.range = look.range;
    // The model's own rate: the velocity along the line of sight, not a difference of ranges.
    state.rangeRate = look.rangeRate;
    state.previousRange = look.range;
    state.previousDayNumber = state.dayNumber;
    if (constants.scheduler()) {
        // The scheduler holds these in single precision whichever model fills them: its pass
        // search compares elevations with a maximum it keeps in single precision.
        for (double* field : {&state.orbitRadius, &state.latitude, &state.longitude, &state.altitude,
                              &state.azimuth, &state.elevation, &state.groundDistance}) {
            *field = static_cast<float>(*field);
        }
    }
}

}  // namespace

ObserverSite observerSite(StationPosition position, double geodeticLatitude) {
    return {position, geodeticStation(geodeticLatitude, position.longitude)};
}

SatelliteOrbit satelliteOrbit(OrbitModel model, const KeplerianElementSet& elements) {
    SatelliteOrbit orbit;
    orbit.model = model;
    orbit.elements = elements;
    if (model == OrbitModel::sgp4) {
        const Sgp4Setup setup = initialiseSgp4(elements);
        orbit.sgp4 = setup.orbit;
        orbit.problem = sgp4ErrorText(setup.error);
    } else {
        orbit.problem = elementSetProblem(elements);
    }
    return orbit;
}

namespace {

Sgp4Error sampleWith(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
                     const ClockTime& time, SatelliteState& state, const std::function<void()>& outOfDate,
                     LookDetail detail, Vector3* earthFixedKm) {
    if (orbit.model == OrbitModel::builtIn) {
        propagate(constants, orbit.elements, time, state, outOfDate);
        lookAngles(constants, site.position, state);
        state.latitudeGeodetic = false;
        return Sgp4Error::none;
    }
    state.dayNumber = dayNumberOf(time);
    if (outOfDate && elementYearOutOfDate(orbit.elements, time.year)) {
        outOfDate();
    }
    const double minutes = minutesSinceEpoch(orbit.sgp4, time.year, state.dayNumber);
    findEndUntil(orbit, minutes);
    if (minutes >= orbit.endMinutes) {
        return orbit.endError;
    }
    // The scheduler's samples are whole: it holds the angles in single precision.
    if (constants.scheduler()) {
        detail = LookDetail::whole;
    }
    const Sgp4Sample sample = sampleSgp4(orbit.sgp4, site.geodetic, time.year, state.dayNumber, detail);
    if (sample.state.error != Sgp4Error::none) {
        return sample.state.error;
    }
    if (detail == LookDetail::whole) {
        takeSgp4Sample(constants, sample, site, state);
    } else {
        state.azimuth = sample.look.azimuth;
        state.elevation = sample.look.elevation;
    }
    if (earthFixedKm) {
        *earthFixedKm = sample.look.earthFixedKm;
    }
    return Sgp4Error::none;
}

}  // namespace

Sgp4Error sampleOrbit(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
                      const ClockTime& time, SatelliteState& state, const std::function<void()>& outOfDate) {
    return sampleWith(constants, orbit, site, time, state, outOfDate, LookDetail::whole, nullptr);
}

Sgp4Error sampleSky(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
                    const ClockTime& time, SatelliteState& state, const std::function<void()>& outOfDate,
                    Vector3& earthFixedKm) {
    return sampleWith(constants, orbit, site, time, state, outOfDate, LookDetail::sky, &earthFixedKm);
}

double shownLatitude(const OrbitConstants& constants, const SatelliteState& state) {
    return state.latitudeGeodetic ? state.latitude : geodeticLatitude(constants, state.latitude);
}

}  // namespace station
