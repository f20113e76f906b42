#pragma once
// Geodetic and geocentric latitudes: the station's position is kept geocentric, as the look
// angles need it; the screen shows the satellite's position geodetic.
#include "orbit/constants.hpp"

namespace station {

// Geocentric latitude (radians) of a geodetic latitude, the tracker's way: atan((1-f)^2 tan phi).
double trackerGeocentricLatitude(double geodeticLatitude);
// The scheduler's way, through the Earth-centred vector on its ellipsoid.
double schedulerGeocentricLatitude(double geodeticLatitude, double longitude);
// The geodetic latitude the tracker shows for a geocentric one.
double geodeticLatitude(const OrbitConstants& constants, double geocentricLatitude);

}  // namespace station
