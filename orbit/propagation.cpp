#include "orbit/propagation.hpp"

#include <cmath>

namespace station {

namespace {

// The sidereal angle at the start of the calendar year, in revolutions:
// atBaseYear - (Y - perYearFrom) * perYear + floor((Y - leapFrom) / 4) * perLeapYear.
struct GreenwichAtYearStart {
    double atBaseYear;
    int perYearFrom;
    double perYear;
    int leapFrom;
    double perLeapYear;
};

// The tracker's angle is the one at 1 January 00:00 UTC, the scheduler's the one at 0 January.
constexpr GreenwichAtYearStart trackerGreenwich{0.278779222, 2019, 0.00066308306, 2017, 0.00273791};
constexpr GreenwichAtYearStart schedulerGreenwich{0.27685328, 1993, 0.00066311806, 1993, 0.0027379092};
constexpr double schedulerSiderealDivisor = 0.997269624;

constexpr double minutesPerDay = 1440;
constexpr double secondsPerDay = 86400;
// Newton's method converges in a handful of steps for any eccentricity below 1; the cap only
// keeps a pathological element set from holding the program.
constexpr int keplerIterationLimit = 100;
constexpr double straightAngleTolerance = 1e-7f;

// The scheduler holds several results in single precision: rounded when stored.
double stored(const OrbitConstants& constants, double value) {
    return constants.scheduler() ? static_cast<double>(static_cast<float>(value)) : value;
}

// Brought into 0..2pi by whole turns. Far-off values are folded first so the loops stay short,
// and a value that is not finite is left alone rather than looped on.
double withinOneTurn(double angle, double twoPi) {
    if (!std::isfinite(angle)) {
        return angle;
    }
    if (std::fabs(angle) > 1000 * twoPi) {
        angle = std::fmod(angle, twoPi);
    }
    while (angle > twoPi) {
        angle -= twoPi;
    }
    while (angle < 0) {
        angle += twoPi;
    }
    return angle;
}

double eccentricAnomaly(double meanAnomaly, double eccentricity, double tolerance) {
    double anomaly = meanAnomaly;
    for (int i = 0; i < keplerIterationLimit; ++i) {
        const double delta = (anomaly - eccentricity * std::sin(anomaly) - meanAnomaly) /
                             (1 - eccentricity * std::cos(anomaly));
        anomaly -= delta;
        if (std::fabs(delta) < tolerance) {
            break;
        }
    }
    return anomaly;
}

double greenwichAngle(const OrbitConstants& constants, int year, double dayNumber) {
    const GreenwichAtYearStart& g = constants.scheduler() ? schedulerGreenwich : trackerGreenwich;
    const double atYearStart = g.atBaseYear - (year - g.perYearFrom) * g.perYear +
                               std::floor((year - g.leapFrom) / 4.0) * g.perLeapYear;
    const double revolutions = constants.scheduler()
                                   ? atYearStart + dayNumber / schedulerSiderealDivisor
                                   : atYearStart + constants.siderealRatio * (dayNumber - 1);
    return 2 * constants.pi * revolutions;
}

}  // namespace

double earthRadiusAt(const OrbitConstants& constants, float latitudeDegrees) {
    // Only the angle is held in single precision; the series and the ellipse work in double.
    const double x = static_cast<float>(latitudeDegrees * constants.radiansPerDegree);
    const double equatorial = constants.equatorialEarthRadiusKm;
    if (constants.scheduler()) {
        return equatorial * (0.998327073 + 0.001676438 * std::cos(2 * x) - 0.000003519 * std::cos(4 * x) +
                             0.000000008 * std::cos(6 * x));
    }
    const double s = std::sin(x);
    return equatorial / (1 + (1 / (1 - constants.flattening) - 1) * s * s);
}

void propagate(const OrbitConstants& constants, const KeplerianElementSet& elements, const ClockTime& time,
               SatelliteState& state, const std::function<void()>& outOfDate) {
    const double pi = constants.pi;
    const double twoPi = 2 * pi;
    const double day = dayNumberOf(time);
    state.dayNumber = day;
    const double t = daysSinceEpoch(elements, time.year, day, outOfDate);

    const double period = minutesPerDay / (elements.meanMotion + elements.meanMotionDrift * t);
    // The scheduler times the mean anomaly with the period itself; the tracker with the period
    // of twice the drift.
    const double anomalyPeriod =
        constants.scheduler() ? period
                              : minutesPerDay / (elements.meanMotion + 2 * elements.meanMotionDrift * t);
    if (!(period > 0 && anomalyPeriod > 0 && std::isfinite(period) && std::isfinite(anomalyPeriod))) {
        // The drift has taken the mean motion to 0 or below: there is no orbit at this instant,
        // and the last position stands rather than turning into NaN.
        return;
    }

    const double a = constants.semiMajorAxisFactor * std::pow(period, 2.0 / 3.0);
    const double q = std::pow(constants.equatorialEarthRadiusKm / a, 3.5);
    const double e = elements.eccentricity;
    const double i = elements.inclination;
    const double cosI = std::cos(i);
    const double oneMinusE2 = 1 - e * e;
    const double perigeeRate = constants.perigeeDriftCoefficient * q * (5 * cosI * cosI - 1) /
                               (oneMinusE2 * oneMinusE2) * constants.radiansPerDegree;
    const double nodeRate =
        q * constants.radiansPerDegree * cosI * constants.nodeDriftCoefficient / (oneMinusE2 * oneMinusE2);

    const double perigeeAtEpoch = elements.meanAnomaly / twoPi * period;
    const double revolutions = minutesPerDay * (t + perigeeAtEpoch / minutesPerDay) / period;
    const double sincePerigee = (revolutions - std::floor(revolutions)) * period;
    const double perigee = withinOneTurn(elements.argumentOfPerigee + perigeeRate * t, twoPi);
    const double meanAnomaly = twoPi * sincePerigee / anomalyPeriod;
    const double anomaly = eccentricAnomaly(meanAnomaly, e, constants.keplerTolerance);

    double trueAnomaly = pi;
    if (std::fabs(anomaly - pi) >= straightAngleTolerance) {
        trueAnomaly = 2 * std::atan(std::sqrt((1 + e) / (1 - e)) * std::tan(anomaly / 2));
        if (trueAnomaly < 0) {
            trueAnomaly += twoPi;
        }
    }
    float phase = static_cast<float>(256 * sincePerigee / anomalyPeriod);
    if (phase < 0) {
        phase += 256;
    }
    state.phase = phase;

    const double u = withinOneTurn(perigee + trueAnomaly, twoPi);
    state.orbitRadius = stored(constants, a * oneMinusE2 / (1 + e * std::cos(trueAnomaly)));
    state.latitude = stored(constants, arcSin(std::sin(u) * std::sin(i)));
    double fromNode = arcCos(std::cos(u) / std::cos(state.latitude));
    // South of the equator the point lies on the descending half of the orbit. The sign of
    // sin u is that of the latitude for any inclined orbit and still tells the halves apart in
    // an orbit of inclination exactly 0, whose latitude is always 0.
    if (std::sin(u) < 0) {
        fromNode = -fromNode;
    }
    if (i > pi / 2) {
        fromNode = -fromNode;  // retrograde: the point runs west of the node
    }
    const double node = elements.raan + nodeRate * t;
    double nodeLongitude = node - greenwichAngle(constants, time.year, day);
    nodeLongitude -= twoPi * std::floor(nodeLongitude / twoPi);
    double longitude = fromNode + nodeLongitude;
    if (longitude > pi) {
        longitude -= twoPi;
    }
    if (longitude < -pi) {
        longitude += twoPi;
    }
    state.longitude = stored(constants, longitude);
    const float latitudeDegrees = static_cast<float>(state.latitude * constants.degreesPerRadian);
    state.altitude = stored(constants, state.orbitRadius - earthRadiusAt(constants, latitudeDegrees));
}

void lookAngles(const OrbitConstants& constants, StationPosition station, SatelliteState& state) {
    const double stationLatitude = station.latitude;
    const double fromStation = state.longitude - station.longitude;
    const double psi = arcCos(std::sin(stationLatitude) * std::sin(state.latitude) +
                              std::cos(stationLatitude) * std::cos(state.latitude) * std::cos(fromStation));
    state.groundDistance = stored(constants, psi * constants.meanEarthRadiusKm);
    // Straight overhead the direction is undefined: the antenna keeps the last azimuth.
    if (psi != 0) {
        state.azimuth = stored(
            constants,
            arcCos(((std::sin(state.latitude) - std::sin(stationLatitude) * std::cos(psi)) / std::cos(stationLatitude)) /
                   std::sin(psi)));
        if (std::sin(fromStation) < 0) {
            state.azimuth = stored(constants, 2 * constants.pi - state.azimuth);
        }
    }

    const double stationRadius =
        earthRadiusAt(constants, static_cast<float>(stationLatitude * constants.degreesPerRadian));
    const double r = state.orbitRadius;
    if (state.groundDistance == 0) {
        state.elevation = stored(constants, constants.pi / 2);
    } else if (psi >= constants.pi) {
        // The antipode, where the guarded arc cosine puts a point close to it: the sine of the
        // program's pi is a tiny negative number, which would turn the elevation to +90 degrees.
        state.elevation = stored(constants, -constants.pi / 2);
    } else {
        const double horizonRadius = constants.scheduler() ? constants.meanEarthRadiusKm : stationRadius;
        state.elevation = stored(constants, std::atan(((r * std::cos(psi) - horizonRadius) / r) / std::sin(psi)));
    }
    const double range = std::sqrt(r * r + stationRadius * stationRadius - 2 * r * stationRadius * std::cos(psi));

    const float elapsedSeconds = static_cast<float>((state.dayNumber - state.previousDayNumber) * secondsPerDay);
    if (elapsedSeconds != 0) {
        state.rangeRate = (state.previousRange - range) / elapsedSeconds;
    }
    state.range = range;
    state.previousDayNumber = state.dayNumber;
    state.previousRange = range;
}

}  // namespace station
