#pragma once
// The orbit model the programs propagate an element set with, chosen by the station: the built-in
// model (mean elements with the secular drift of perigee and node, each program with its own
// constants) or SGP4/SDP4, the model element sets are fitted for. Either fills the same
// SatelliteState, so the pass search, the rotator, the Doppler correction and both screens work
// on whichever the station chose.
#include "orbit/propagation.hpp"
#include "orbit/sgp4_look_angles.hpp"

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

namespace station {

enum class OrbitModel : std::int16_t { builtIn = 0, sgp4 = 1 };

// The station as each model takes it.
struct ObserverSite {
    StationPosition position;  // the built-in model's: geocentric latitude
    GeodeticStation geodetic;  // the SGP4 model's: on the WGS-84 ellipsoid
};

// `geodeticLatitude` is the station's latitude as configured (or fixed by the GPS), radians.
ObserverSite observerSite(StationPosition position, double geodeticLatitude);

// One element set, set up for its model.
struct SatelliteOrbit {
    OrbitModel model = OrbitModel::builtIn;
    KeplerianElementSet elements;
    Sgp4Orbit sgp4;       // the SGP4 model's set-up
    std::string problem;  // why the model cannot follow the set at all; empty when it can
    // The SGP4 model's drag terms give a satellite that has come down states again some days
    // later, which are no orbit: the first instant after the epoch without a state, found by
    // stepping forward from the epoch, ends the orbit for good.
    double checkedUntilMinutes = 0;  // after the epoch; every step up to here had a state
    double endMinutes = std::numeric_limits<double>::infinity();
    Sgp4Error endError = Sgp4Error::none;
};

SatelliteOrbit satelliteOrbit(OrbitModel model, const KeplerianElementSet& elements);

// Position and look angles for the clock fields `time`, written to `state` (day number, range
// rate from the last sample, and the rest). `outOfDate` is called when the element year and the
// clock year differ by more than one. When the SGP4 model has no state at that instant (the
// satellite has decayed, or did so before) the error is returned and `state` keeps its last
// position, with only the day number moved on.
Sgp4Error sampleOrbit(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
                      const ClockTime& time, SatelliteState& state,
                      const std::function<void()>& outOfDate = {});

// As sampleOrbit, for a search that looks only at the sky: an SGP4 sample writes the satellite's
// Earth-fixed position to `earthFixedKm` and, with the tracker's constants, just the day number,
// azimuth and elevation of `state` (bit for bit as sampleOrbit would; the rest keeps an earlier
// sample's). The built-in model's sample is whole and leaves `earthFixedKm` alone.
Sgp4Error sampleSky(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
                    const ClockTime& time, SatelliteState& state, const std::function<void()>& outOfDate,
                    Vector3& earthFixedKm);

// The sub-satellite latitude the screen shows, geodetic, in radians.
double shownLatitude(const OrbitConstants& constants, const SatelliteState& state);

}  // namespace station
