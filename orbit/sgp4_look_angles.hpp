#pragma once
// Look angles and the sub-satellite point from an SGP4 state: TEME turned to the Earth-fixed
// frame by Greenwich mean sidereal time (IAU 1982, UT1 taken as UTC, no polar motion), the station
// on the WGS-84 ellipsoid.
#include "orbit/sgp4.hpp"

namespace station {

// A station on the WGS-84 ellipsoid (height 0), set up once.
struct GeodeticStation {
    double latitude = 0;   // geodetic, radians
    double longitude = 0;  // radians, east positive
    double sinLatitude = 0;
    double cosLatitude = 0;
    double sinLongitude = 0;
    double cosLongitude = 0;
    Vector3 positionKm;  // Earth-fixed
};

GeodeticStation geodeticStation(double geodeticLatitude, double longitude);

struct Sgp4LookAngles {
    double azimuth = 0;    // radians, 0..2pi, clockwise from north
    double elevation = 0;  // radians
    double range = 0;      // km
    // km/s, positive while the satellite approaches (the sign of SatelliteState::rangeRate):
    // minus the time derivative of the range, the station turning with the Earth.
    double rangeRate = 0;
    // The sub-satellite point.
    double latitude = 0;     // geodetic on WGS-84, radians
    double longitude = 0;    // radians, -pi..pi, east positive
    double altitude = 0;     // km above the ellipsoid
    double orbitRadius = 0;  // km from the Earth's centre
    Vector3 earthFixedKm;    // the satellite's position
};

// How much of the look angles a sample works out: all of them, or for a search that only looks
// at the sky, azimuth, elevation and the Earth-fixed position (each bit for bit as in the whole).
enum class LookDetail { whole, sky };

// The look angles of `state` (which must have no error) at the instant `julianDate` (UTC).
Sgp4LookAngles sgp4LookAngles(const Sgp4State& state, double julianDate, const GeodeticStation& station,
                              LookDetail detail = LookDetail::whole);

// One sample of the model for the instant `dayNumber` of `year`: the state and its look angles.
struct Sgp4Sample {
    Sgp4State state;
    Sgp4LookAngles look;  // not valid when state.error is set
};
Sgp4Sample sampleSgp4(Sgp4Orbit& orbit, const GeodeticStation& station, int year, double dayNumber,
                      LookDetail detail = LookDetail::whole);

}  // namespace station
