#pragma once
// How fast a satellite can move across a station's sky, from its element set alone: the pass
// search leaves out the samples that provably lie below the horizon (or, near the end of a pass,
// above it), which are most of them, and still finds every AOS, LOS and maximum it would find
// sampling each one.
//
// The satellite's direction from the Earth's centre turns, seen from the turning Earth, no
// faster than its argument of latitude and its node's longitude change together. Its angle from
// the station's zenith therefore changes no faster than that rate; beyond one angle (set by the
// highest the orbit reaches) the satellite is below the station's horizon plane, within another
// (set by the lowest) it is above the minimum elevation.
#include "orbit/orbit_model.hpp"

namespace station {

struct SkyBound {
    bool usable = false;      // false: every sample is taken
    double fromDay = 0;       // the day numbers (of the search's year) the bound holds between
    double untilDay = 0;
    double turnPerDay = 0;    // radians a day, at least the fastest change of the zenith angle
    double belowFrom = 0;     // radians: a zenith angle beyond this is below the horizon plane
    double aboveWithin = -1;  // radians: within this the elevation is at least the minimum
    // The station's zenith, and its distance from the Earth's axis along it, in km (SGP4 model).
    Vector3 zenith;
};

// The bound of `orbit` seen from `site` over the day numbers fromDay..untilDay of `year`, for a
// minimum elevation `horizon` (radians). Not usable for a horizon below 0, a drift that stops
// the orbit within the span, an SGP4 orbit of the deep-space model, or one that may decay or lose
// its eccentricity's range within the span (the model would have no state to skip).
SkyBound skyBound(const OrbitConstants& constants, const SatelliteOrbit& orbit, const ObserverSite& site,
                  double horizon, int year, double fromDay, double untilDay);

// The angle between the satellite just sampled and the station's zenith, radians: from `state`
// with the built-in model, from its Earth-fixed position (sampleSky's) with SGP4.
double zenithAngle(const SatelliteOrbit& orbit, const ObserverSite& site, const SkyBound& bound,
                   const SatelliteState& state, const Vector3& earthFixedKm);

}  // namespace station
