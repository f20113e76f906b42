#include "orbit/sgp4_look_angles.hpp"

#include "orbit/sgp4_constants.hpp"

#include <cmath>

namespace station {

namespace {

constexpr double twoPi = sgp4::twoPi;
constexpr double wgs84EquatorialRadiusKm = 6378.137;
constexpr double wgs84Flattening = 1 / 298.257223563;
constexpr double wgs84PolarRadiusKm = wgs84EquatorialRadiusKm * (1 - wgs84Flattening);
constexpr double wgs84EccentricitySquared = wgs84Flattening * (2 - wgs84Flattening);
constexpr double wgs84SecondEccentricitySquared = wgs84EccentricitySquared / (1 - wgs84EccentricitySquared);
// The rate of the sidereal time formula: sidereal seconds per second of UT1, as radians per second.
constexpr double earthRotationRadPerSecond = (1 + 8640184.812866 / (876600.0 * 3600)) * twoPi / 86400;

}  // namespace

GeodeticStation geodeticStation(double geodeticLatitude, double longitude) {
    GeodeticStation station;
    station.latitude = geodeticLatitude;
    station.longitude = longitude;
    station.sinLatitude = std::sin(geodeticLatitude);
    station.cosLatitude = std::cos(geodeticLatitude);
    station.sinLongitude = std::sin(longitude);
    station.cosLongitude = std::cos(longitude);
    const double primeVerticalRadius =
        wgs84EquatorialRadiusKm /
        std::sqrt(1 - wgs84EccentricitySquared * station.sinLatitude * station.sinLatitude);
    station.positionKm = {primeVerticalRadius * station.cosLatitude * station.cosLongitude,
                          primeVerticalRadius * station.cosLatitude * station.sinLongitude,
                          primeVerticalRadius * (1 - wgs84EccentricitySquared) * station.sinLatitude};
    return station;
}

Sgp4LookAngles sgp4LookAngles(const Sgp4State& state, double julianDate, const GeodeticStation& station,
                              LookDetail detail) {
    Sgp4LookAngles look;
    // TEME to Earth-fixed: a turn by the sidereal angle about the pole. The Earth-fixed velocity
    // loses the frame's own rotation, w x r.
    const double greenwich = greenwichMeanSiderealTime(julianDate);
    const double sinG = std::sin(greenwich);
    const double cosG = std::cos(greenwich);
    const Vector3& r = state.positionKm;
    const Vector3& v = state.velocityKmPerSecond;
    const Vector3 position{cosG * r.x + sinG * r.y, -sinG * r.x + cosG * r.y, r.z};
    look.earthFixedKm = position;

    // From the station, in east, north and up.
    const Vector3 seen{position.x - station.positionKm.x, position.y - station.positionKm.y,
                       position.z - station.positionKm.z};
    const double east = -station.sinLongitude * seen.x + station.cosLongitude * seen.y;
    const double towardsPole = station.cosLongitude * seen.x + station.sinLongitude * seen.y;
    const double north = -station.sinLatitude * towardsPole + station.cosLatitude * seen.z;
    const double up = station.cosLatitude * towardsPole + station.sinLatitude * seen.z;
    look.range = std::sqrt(seen.x * seen.x + seen.y * seen.y + seen.z * seen.z);
    look.azimuth = std::atan2(east, north);
    if (look.azimuth < 0) {
        look.azimuth += twoPi;
        if (look.azimuth >= twoPi) {
            look.azimuth = 0;  // a tiny negative angle rounds to 2pi
        }
    }
    look.elevation = std::atan2(up, std::sqrt(east * east + north * north));
    if (detail == LookDetail::sky) {
        return look;
    }
    const Vector3 velocity{cosG * v.x + sinG * v.y + earthRotationRadPerSecond * position.y,
                           -sinG * v.x + cosG * v.y - earthRotationRadPerSecond * position.x, v.z};
    look.rangeRate = -(seen.x * velocity.x + seen.y * velocity.y + seen.z * velocity.z) / look.range;

    // The sub-satellite point: geodetic latitude by Bowring's formula from the reduced latitude,
    // taken twice (once leaves centimetres at satellite heights, twice well under a millimetre).
    const double fromAxis = std::sqrt(position.x * position.x + position.y * position.y);
    double reducedSin = position.z * wgs84EquatorialRadiusKm;
    double reducedCos = fromAxis * wgs84PolarRadiusKm;
    double latitudeSin = 0;
    double latitudeCos = 0;
    double sinLatitude = 0;
    double cosLatitude = 0;
    for (int pass = 0; pass < 2; ++pass) {
        const double reducedNorm = std::sqrt(reducedSin * reducedSin + reducedCos * reducedCos);
        const double sinBeta = reducedSin / reducedNorm;
        const double cosBeta = reducedCos / reducedNorm;
        latitudeSin =
            position.z + wgs84SecondEccentricitySquared * wgs84PolarRadiusKm * sinBeta * sinBeta * sinBeta;
        latitudeCos =
            fromAxis - wgs84EccentricitySquared * wgs84EquatorialRadiusKm * cosBeta * cosBeta * cosBeta;
        const double latitudeNorm = std::sqrt(latitudeSin * latitudeSin + latitudeCos * latitudeCos);
        sinLatitude = latitudeSin / latitudeNorm;
        cosLatitude = latitudeCos / latitudeNorm;
        // tan(beta) = (1 - f) tan(latitude)
        reducedSin = wgs84PolarRadiusKm * sinLatitude;
        reducedCos = wgs84EquatorialRadiusKm * cosLatitude;
    }
    look.latitude = std::atan2(latitudeSin, latitudeCos);
    look.longitude = std::atan2(position.y, position.x);
    look.altitude =
        fromAxis * cosLatitude + position.z * sinLatitude -
        wgs84EquatorialRadiusKm * std::sqrt(1 - wgs84EccentricitySquared * sinLatitude * sinLatitude);
    look.orbitRadius = std::sqrt(fromAxis * fromAxis + position.z * position.z);
    return look;
}

Sgp4Sample sampleSgp4(Sgp4Orbit& orbit, const GeodeticStation& station, int year, double dayNumber,
                      LookDetail detail) {
    Sgp4Sample sample;
    sample.state = propagateSgp4(orbit, minutesSinceEpoch(orbit, year, dayNumber));
    if (sample.state.error == Sgp4Error::none) {
        sample.look = sgp4LookAngles(sample.state, julianDateOf(year, dayNumber), station, detail);
    }
    return sample;
}

}  // namespace station
