#include "orbit/geodesy.hpp"

#include <cmath>

namespace station {

double trackerGeocentricLatitude(double geodeticLatitude) {
    const double k = (1 - trackerFlattening) * (1 - trackerFlattening);
    return std::atan(k * std::tan(geodeticLatitude));
}

double schedulerGeocentricLatitude(double geodeticLatitude, double longitude) {
    const double f = schedulerFlattening;
    const double e2 = 2 * f - f * f;
    const double s = std::sin(geodeticLatitude);
    const double n = schedulerEquatorialRadiusKm / std::sqrt(1 - e2 * s * s);
    const double x = n * std::cos(geodeticLatitude) * std::cos(longitude);
    const double y = n * std::cos(geodeticLatitude) * std::sin(longitude);
    const double z = n * (1 - e2) * s;
    return arcSin(z / std::sqrt(x * x + y * y + z * z));
}

double geodeticLatitude(const OrbitConstants& constants, double geocentricLatitude) {
    const double k = (1 - constants.flattening) * (1 - constants.flattening);
    return std::atan(std::tan(geocentricLatitude) / k);
}

}  // namespace station
