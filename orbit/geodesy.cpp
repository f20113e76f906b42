#include "orbit/geodesy.hpp"

#include <cmath>
#include <numbers>

namespace station {

namespace {
// 90 degrees in radians as a single-precision field holds it: the largest value that is a pole.
constexpr double poleInSinglePrecision = static_cast<float>(programPi / 2);
}  // namespace

double trackerGeocentricLatitude(double geodeticLatitude) {
    // A pole arrives a little beyond the right angle (90 degrees in single precision, or through
    // this program's value of pi), where the tangent changes sign and would put the station at
    // the other pole.
    const double magnitude = std::fabs(geodeticLatitude);
    if (magnitude >= std::numbers::pi / 2 && magnitude <= poleInSinglePrecision) {
        return std::copysign(programPi / 2, geodeticLatitude);
    }
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
