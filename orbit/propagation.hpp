#pragma once
// Orbit propagation (mean elements, Kepler's equation, secular drift of perigee and node) and the
// look angles from the station.
#include "orbit/constants.hpp"
#include "orbit/elements.hpp"

#include <functional>

namespace station {

struct StationPosition {
    float latitude = 0;   // radians, geocentric
    float longitude = 0;  // radians, east positive
};

struct SatelliteState {
    double dayNumber = 0;       // current day number (UTC) of the last propagation
    double orbitRadius = 0;     // km from the Earth's centre
    double latitude = 0;        // sub-satellite latitude, radians, geocentric (see latitudeGeodetic)
    bool latitudeGeodetic = false;  // the SGP4 model gives the latitude geodetic (WGS-84) already
    double longitude = 0;       // sub-satellite longitude, radians, -pi..pi, east positive
    double altitude = 0;        // km above the local Earth radius
    float phase = 0;            // 0..256: mean anomaly in 256ths of a revolution
    double azimuth = 0;         // radians, 0..2pi, clockwise from north
    double elevation = 0;       // radians
    double groundDistance = 0;  // km along the surface
    double range = 0;           // km
    double rangeRate = 0;       // km/s, positive while the satellite approaches
    double previousRange = 0;
    double previousDayNumber = 0;
};

// Propagates the elements to the instant `time`. `outOfDate` is called when the element year and
// the clock year differ by more than one ("Keps out of date!").
void propagate(const OrbitConstants& constants, const KeplerianElementSet& elements, const ClockTime& time,
               SatelliteState& state, const std::function<void()>& outOfDate = {});
// Azimuth, elevation, ground distance, range and range rate from the station; always right after
// propagate.
void lookAngles(const OrbitConstants& constants, StationPosition station, SatelliteState& state);

// Earth radius (km) at a latitude in degrees.
double earthRadiusAt(const OrbitConstants& constants, float latitudeDegrees);

}  // namespace station
