#include "orbit/propagation.hpp"

#include "orbit/geodesy.hpp"

#include "orbit/tests/orbit_fixtures.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace station {
namespace {

using testing::degree;

const ClockTime instant{2026, 10, 10, 6.0f, 30.0f, 0.0f};
const OrbitConstants tracker = trackerConstants(instant);
const OrbitConstants scheduler = schedulerConstants();

// A satellite whose elements are valid at `instant` (epoch = instant, no drift), so the mean
// anomaly and the node are exactly the elements' own.
KeplerianElementSet synthetic(double inclinationDegrees, double meanAnomalyDegrees, double meanMotion = 14,
                              double eccentricity = 0, double raanDegrees = 0) {
    KeplerianElementSet set;
    set.epochYear = instant.year;
    set.epochDay = dayNumberOf(instant);
    set.inclination = inclinationDegrees * degree;
    set.meanAnomaly = meanAnomalyDegrees * degree;
    set.meanMotion = meanMotion;
    set.eccentricity = eccentricity;
    set.raan = raanDegrees * degree;
    return set;
}

SatelliteState propagated(const OrbitConstants& c, const KeplerianElementSet& set, ClockTime time = instant) {
    SatelliteState state;
    propagate(c, set, time, state);
    return state;
}

double wrappedDegrees(double angle) { return std::remainder(angle, 360.0); }

TEST(EarthRadius, EquatorPolesAndTheTwoFormulas) {
    EXPECT_EQ(earthRadiusAt(tracker, 0), static_cast<double>(6378.137f));
    EXPECT_NEAR(earthRadiusAt(tracker, 90), 6356.75, 0.005);  // Re (1 - f) = 6356.7523
    // The series sums to 1 at the equator (its coefficients to nine decimals).
    EXPECT_NEAR(earthRadiusAt(scheduler, 0), static_cast<double>(6378.16f), 1e-6);
    // The scheduler's series and the tracker's ellipse agree to within a hundred metres.
    for (float latitude : {-90.0f, -45.0f, 30.0f, 52.35f, 90.0f}) {
        EXPECT_NEAR(earthRadiusAt(scheduler, latitude), earthRadiusAt(tracker, latitude), 0.1) << latitude;
    }
}

TEST(GeodeticLatitude, UndoesTheStationConversion) {
    const double geocentric = trackerGeocentricLatitude(45 * degree);
    EXPECT_NEAR(geocentric / degree, 44.8076, 1e-4);
    EXPECT_NEAR(geodeticLatitude(tracker, geocentric), 45 * degree, 1e-12);
    EXPECT_EQ(geodeticLatitude(tracker, 0), 0.0);
}

// The sub-satellite longitude of a satellite in the equator at its node is minus the sidereal
// angle: checked against the standard formula of Greenwich mean sidereal time.
TEST(Propagate, EarthRotationFollowsSiderealTime) {
    const ClockTime instants[] = {{2019, 1, 1, 0, 0, 0}, {2024, 3, 1, 0, 0, 0}, {2026, 10, 10, 6, 30, 0},
                                  {2030, 7, 1, 18, 0, 0}};
    for (const ClockTime& time : instants) {
        KeplerianElementSet set = synthetic(0, 0);
        set.epochYear = time.year;
        set.epochDay = dayNumberOf(time);
        const double sinceJ2000 = continuousDay(time.year, dayNumberOf(time)) - 1.5;
        const double centuries = sinceJ2000 / 36525;
        const double gmst = 280.46061837 + 360.98564736629 * sinceJ2000 + 0.000387933 * centuries * centuries;
        // The tracker's angle is exact to the formula's digits; the scheduler's within 0.01 degree.
        const double trackerLongitude = propagated(trackerConstants(time), set, time).longitude / degree;
        EXPECT_NEAR(wrappedDegrees(trackerLongitude + gmst), 0, 0.001) << time.year;
        const double schedulerLongitude = propagated(scheduler, set, time).longitude / degree;
        EXPECT_NEAR(wrappedDegrees(schedulerLongitude + gmst), 0, 0.01) << time.year;
    }
}

// At the critical inclination the perigee does not drift, so a circular orbit's argument of
// latitude is its mean anomaly.
TEST(Propagate, CircularOrbitPhaseGrowsLinearly) {
    const double critical = std::acos(std::sqrt(0.2)) / degree;
    const KeplerianElementSet set = synthetic(critical, 0);
    const double period = 1440 / set.meanMotion;
    const double radius = propagated(tracker, set).orbitRadius;
    for (int eighth = 0; eighth < 8; ++eighth) {
        ClockTime time = instant;
        time.minute += static_cast<float>(eighth * period / 8);
        const SatelliteState state = propagated(tracker, set, time);
        // The minute field is single precision: about 1e-5 of a 256th.
        EXPECT_NEAR(state.phase, 32 * eighth, 1e-3) << eighth;
        EXPECT_NEAR(state.orbitRadius, radius, 1e-9);
        EXPECT_DOUBLE_EQ(state.altitude,
                         state.orbitRadius - earthRadiusAt(tracker, static_cast<float>(state.latitude / degree)));
    }
    ClockTime quarter = instant;
    quarter.minute += static_cast<float>(period / 4);
    EXPECT_NEAR(propagated(tracker, set, quarter).latitude / degree, critical, 1e-5);
    ClockTime half = instant;
    half.minute += static_cast<float>(period / 2);
    EXPECT_NEAR(propagated(tracker, set, half).latitude, 0, 1e-6);
}

TEST(Propagate, RetrogradeOrbitsRunWestOfTheirNode) {
    const double node = propagated(tracker, synthetic(80, 0, 14, 0, 50)).longitude / degree;
    const SatelliteState prograde = propagated(tracker, synthetic(80, 30, 14, 0, 50));
    const SatelliteState retrograde = propagated(tracker, synthetic(100, 30, 14, 0, 50));
    EXPECT_NEAR(prograde.latitude, retrograde.latitude, 1e-12);
    const double east = wrappedDegrees(prograde.longitude / degree - node);
    EXPECT_GT(east, 5);
    EXPECT_NEAR(wrappedDegrees(retrograde.longitude / degree - node), -east, 1e-9);
}

// With inclination 0 the latitude is always 0: the point must still run east all the way round.
TEST(Propagate, EquatorialOrbitRunsEastAllTheWayRound) {
    const KeplerianElementSet set = synthetic(0, 0, 1.02);
    double previous = propagated(tracker, set).longitude;
    for (int hour = 1; hour <= 48; ++hour) {
        ClockTime time = instant;
        time.hour += static_cast<float>(hour);
        const double longitude = propagated(tracker, set, time).longitude;
        // 1.02 revolutions a day against the Earth's 1.0027: some 0.26 degree an hour eastward.
        EXPECT_NEAR(wrappedDegrees((longitude - previous) / degree), 0.26, 0.01) << hour;
        previous = longitude;
    }
}

// Kepler's equation solved independently by bisection: r = a (1 - e cos E).
TEST(Propagate, HighlyEccentricOrbitsSolveKeplersEquation) {
    for (double e : {0.598033, 0.95}) {
        const KeplerianElementSet set = synthetic(26, 57.29577951308232, 2.05869937, e);  // M = 1 rad
        double low = 0;
        double high = 3.1415926535898;
        for (int i = 0; i < 200; ++i) {
            const double mid = (low + high) / 2;
            (mid - e * std::sin(mid) < set.meanAnomaly ? low : high) = mid;
        }
        const double a = tracker.semiMajorAxisFactor * std::pow(1440 / set.meanMotion, 2.0 / 3.0);
        EXPECT_NEAR(propagated(tracker, set).orbitRadius, a * (1 - e * std::cos(low)), 1e-6) << e;
    }
}

TEST(Propagate, RealSetsGivePlausiblePositions) {
    const KeplerianElementSet iss = testing::demoElements("ISS");
    ClockTime time{2026, 10, 9, 19.0f, 42.0f, 49.0f};  // the ISS set's epoch
    for (int sample = 0; sample < 100; ++sample, time.minute += 7) {
        const SatelliteState state = propagated(tracker, iss, time);
        EXPECT_GT(state.altitude, 400);
        EXPECT_LT(state.altitude, 440);
        EXPECT_LE(std::fabs(state.latitude), 51.64 * degree);
        EXPECT_GE(state.phase, 0);
        EXPECT_LE(state.phase, 256);
    }
}

TEST(Propagate, SchedulerStoresItsPositionsInSinglePrecision) {
    const KeplerianElementSet iss = testing::demoElements("ISS");
    SatelliteState state;
    propagate(scheduler, iss, instant, state);
    lookAngles(scheduler, testing::stationAt(52.35, 4.92, true), state);
    for (double value : {state.orbitRadius, state.latitude, state.longitude, state.altitude, state.azimuth,
                         state.elevation, state.groundDistance}) {
        EXPECT_EQ(value, static_cast<float>(value));
    }
    EXPECT_NE(state.range, static_cast<float>(state.range));
}

TEST(Propagate, OutOfDateElementsWarnAndADecayedOrbitKeepsTheLastPosition) {
    KeplerianElementSet set = synthetic(51, 0, 15);
    set.epochYear = 2023;
    int warnings = 0;
    SatelliteState state;
    propagate(tracker, set, instant, state, [&] { ++warnings; });
    EXPECT_EQ(warnings, 1);

    set = synthetic(51, 0, 1);
    set.meanMotionDrift = -1;  // no mean motion left after one day
    state.orbitRadius = 1234;
    ClockTime later = instant;
    later.day += 2;
    propagate(tracker, set, later, state);
    EXPECT_EQ(state.orbitRadius, 1234);
    EXPECT_EQ(state.dayNumber, dayNumberOf(later));
}

class LookAngles : public ::testing::Test {
protected:
    SatelliteState at(const OrbitConstants& c, StationPosition station, double latitude, double longitude,
                      double radius) {
        SatelliteState state;
        state.dayNumber = 283.5;
        state.latitude = latitude * degree;
        state.longitude = longitude * degree;
        state.orbitRadius = radius;
        state.azimuth = 1.0;  // the previous call's azimuth
        lookAngles(c, station, state);
        return state;
    }
};

TEST_F(LookAngles, ZenithGivesNinetyDegreesAndKeepsTheAzimuth) {
    for (const OrbitConstants* c : {&tracker, &scheduler}) {
        const SatelliteState state = at(*c, {0, 0}, 0, 0, 7000);
        EXPECT_EQ(state.groundDistance, 0);
        EXPECT_NEAR(state.elevation, 3.1415926535898 / 2, 1e-7);  // single precision in the scheduler
        EXPECT_EQ(state.azimuth, 1.0);
        EXPECT_NEAR(state.range, 7000 - earthRadiusAt(*c, 0), 1e-9);  // the law of cosines at psi = 0
    }
    EXPECT_DOUBLE_EQ(at(tracker, {0, 0}, 0, 0, 7000).range, 7000 - static_cast<double>(6378.137f));
}

TEST_F(LookAngles, CompassDirections) {
    const StationPosition station{static_cast<float>(45 * degree), 0};
    struct Case {
        double latitude, longitude, azimuth, tolerance;
    };
    // Along a parallel the great circle leaves slightly poleward of east and west.
    const Case cases[] = {{45, 2, 90, 1.5}, {45, -2, 270, 1.5}, {47, 0, 0, 1e-9}, {43, 0, 180, 1e-9}};
    for (const Case& c : cases) {
        EXPECT_NEAR(at(tracker, station, c.latitude, c.longitude, 6778).azimuth / degree, c.azimuth, c.tolerance)
            << c.latitude << " " << c.longitude;
    }
}

// Elevation and range against plain vector geometry on the sphere of the station's radius.
TEST_F(LookAngles, ElevationAndRangeMatchVectorGeometry) {
    const StationPosition station{static_cast<float>(40 * degree), static_cast<float>(10 * degree)};
    const double stationRadius = earthRadiusAt(tracker, static_cast<float>(station.latitude / degree));
    auto unit = [](double latitude, double longitude) {
        return std::array<double, 3>{std::cos(latitude) * std::cos(longitude), std::cos(latitude) * std::sin(longitude),
                                     std::sin(latitude)};
    };
    for (const auto& [latitude, longitude] : {std::pair{45.0, 15.0}, {20.0, 30.0}, {-10.0, -40.0}}) {
        const SatelliteState state = at(tracker, station, latitude, longitude, 6800);
        const auto up = unit(station.latitude, station.longitude);
        const auto toSatellite = unit(latitude * degree, longitude * degree);
        double lineOfSight[3];
        double length = 0;
        double height = 0;
        for (int k = 0; k < 3; ++k) {
            lineOfSight[k] = 6800 * toSatellite[k] - stationRadius * up[k];
            length += lineOfSight[k] * lineOfSight[k];
            height += lineOfSight[k] * up[k];
        }
        length = std::sqrt(length);
        // Both ways are exact on the sphere; they differ only by rounding.
        EXPECT_NEAR(state.range, length, 1e-8);
        EXPECT_NEAR(state.elevation, std::asin(height / length), 1e-9);
    }
}

TEST_F(LookAngles, SchedulerElevationUsesTheMeanRadius) {
    const double psi = std::acos(6371.0 / 7000);  // the mean-radius horizon
    EXPECT_NEAR(at(scheduler, {0, 0}, 0, psi / degree, 7000).elevation, 0, 1e-6);
    EXPECT_LT(at(tracker, {0, 0}, 0, psi / degree, 7000).elevation / degree, -0.1);
}

TEST_F(LookAngles, RangeRateIsMeasuredAgainstThePreviousCall) {
    SatelliteState state;
    state.dayNumber = 283.5;
    state.orbitRadius = 7000;
    state.previousDayNumber = 283.5 - 1.0 / 86400;
    state.previousRange = 7000 - static_cast<double>(6378.137f) + 5;
    lookAngles(tracker, {0, 0}, state);
    EXPECT_NEAR(state.rangeRate, 5, 1e-6);  // approaching: positive
    state.orbitRadius = 7100;
    lookAngles(tracker, {0, 0}, state);  // the same instant: no elapsed time
    EXPECT_NEAR(state.rangeRate, 5, 1e-6);
    EXPECT_DOUBLE_EQ(state.previousRange, 7100 - static_cast<double>(6378.137f));
}

}  // namespace
}  // namespace station
