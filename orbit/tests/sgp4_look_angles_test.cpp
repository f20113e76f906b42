#include "orbit/sgp4_look_angles.hpp"

#include "orbit/tests/orbit_fixtures.hpp"
#include "orbit/tests/sgp4_data.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace station {
namespace {

using testing::degree;
using testing::numbersOf;
using testing::sgp4DataLines;

constexpr double pi = 3.14159265358979323846;

double wrappedDegrees(double angle) {
    return std::remainder(angle, 360.0);
}

// A TEME state seen at `julianDate` at an Earth-fixed position with an Earth-fixed velocity.
Sgp4State stateAt(const Vector3& fixedKm, const Vector3& fixedKmPerS, double julianDate) {
    const double g = greenwichMeanSiderealTime(julianDate);
    const double w = 7.292115855e-5;
    // Back from the Earth-fixed frame: the frame's rotation is added to the velocity first.
    const Vector3 v{fixedKmPerS.x - w * fixedKm.y, fixedKmPerS.y + w * fixedKm.x, fixedKmPerS.z};
    Sgp4State state;
    state.positionKm = {std::cos(g) * fixedKm.x - std::sin(g) * fixedKm.y,
                        std::sin(g) * fixedKm.x + std::cos(g) * fixedKm.y, fixedKm.z};
    state.velocityKmPerSecond = {std::cos(g) * v.x - std::sin(g) * v.y, std::sin(g) * v.x + std::cos(g) * v.y,
                                 v.z};
    return state;
}

TEST(Sgp4Station, LiesOnTheWgs84Ellipsoid) {
    const GeodeticStation equator = geodeticStation(0, 0);
    EXPECT_NEAR(equator.positionKm.x, 6378.137, 1e-9);
    EXPECT_NEAR(equator.positionKm.y, 0, 1e-9);
    const GeodeticStation pole = geodeticStation(pi / 2, 1);
    EXPECT_NEAR(pole.positionKm.z, 6356.752314, 1e-6);
    const GeodeticStation east = geodeticStation(0, pi / 2);
    EXPECT_NEAR(east.positionKm.y, 6378.137, 1e-9);
}

// A satellite straight above a station, climbing: elevation 90 degrees, the range its height,
// the sub-satellite point the station's, and a range rate of minus its climb.
TEST(Sgp4LookAngles, StraightAboveAClimbingSatellite) {
    const double julianDate = julianDateOf(2026, 282.3);
    for (const auto& [latitude, longitude] : {std::pair{52.35, 4.92}, {-33.87, 151.21}, {0.0, -90.0}}) {
        const GeodeticStation station = geodeticStation(latitude * degree, longitude * degree);
        const Vector3 up{station.cosLatitude * station.cosLongitude,
                         station.cosLatitude * station.sinLongitude, station.sinLatitude};
        const double height = 800;
        const double climb = 2;
        const Vector3 position{station.positionKm.x + height * up.x, station.positionKm.y + height * up.y,
                               station.positionKm.z + height * up.z};
        const Sgp4LookAngles look = sgp4LookAngles(
            stateAt(position, {climb * up.x, climb * up.y, climb * up.z}, julianDate), julianDate, station);
        EXPECT_NEAR(look.elevation / degree, 90, 1e-6) << latitude;
        EXPECT_NEAR(look.range, height, 1e-6);
        EXPECT_NEAR(look.rangeRate, -climb, 1e-9);
        EXPECT_NEAR(look.altitude, height, 1e-6);
        EXPECT_NEAR(look.latitude / degree, latitude, 1e-9);
        EXPECT_NEAR(look.longitude / degree, longitude, 1e-9);
    }
}

// Due north and south on the horizon, approaching: azimuth 0 and 180, clockwise from north.
TEST(Sgp4LookAngles, AzimuthRunsClockwiseFromNorthAndApproachIsPositive) {
    const double julianDate = julianDateOf(2026, 100.75);
    const GeodeticStation station = geodeticStation(0, 0);
    const double r = station.positionKm.x;
    struct Case {
        Vector3 position;
        Vector3 velocity;
        double azimuth;
        double rangeRate;
    };
    const Case cases[] = {
        {{r, 0, 1000}, {0, 0, -3}, 0, 3},
        {{r, 0, -1000}, {0, 0, -3}, 180, -3},
        {{r, 1000, 0}, {0, 1, 0}, 90, -1},
        {{r, -1000, 0}, {0, 1, 0}, 270, 1},
    };
    for (const Case& c : cases) {
        const Sgp4LookAngles look =
            sgp4LookAngles(stateAt(c.position, c.velocity, julianDate), julianDate, station);
        EXPECT_NEAR(wrappedDegrees(look.azimuth / degree - c.azimuth), 0, 1e-9);
        EXPECT_GE(look.azimuth, 0.0);
        EXPECT_LT(look.azimuth, 2 * pi);
        EXPECT_NEAR(look.elevation, 0, 1e-9);
        EXPECT_NEAR(look.rangeRate, c.rangeRate, 1e-9);
    }
}

struct LookReference {
    std::vector<GeodeticStation> stations;
    struct Sample {
        std::size_t station;
        int year;
        double dayNumber;
        std::vector<double> expected;  // azimuth, elevation, range, rate, latitude, longitude, altitude
    };
    struct Set {
        std::string name;
        KeplerianElementSet elements;
        std::vector<Sample> samples;
    };
    std::vector<Set> sets;
};

LookReference lookReference() {
    const std::vector<std::string> lines = sgp4DataLines("sgp4_look_angles.txt");
    LookReference reference;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("station ", 0) == 0) {
            const std::vector<double> n = numbersOf(line.substr(8));
            reference.stations.push_back(geodeticStation(n.at(1) * degree, n.at(2) * degree));
        } else if (line.rfind("set ", 0) == 0 && i + 2 < lines.size()) {
            reference.sets.push_back({line.substr(4), parseElementLines(lines[i + 1], lines[i + 2]), {}});
            i += 2;
        } else if (line.rfind("sample ", 0) == 0 && !reference.sets.empty()) {
            const std::vector<double> n = numbersOf(line.substr(7));
            reference.sets.back().samples.push_back({static_cast<std::size_t>(n.at(0)),
                                                     static_cast<int>(n.at(1)), n.at(2),
                                                     std::vector<double>(n.begin() + 3, n.end())});
        }
    }
    return reference;
}

// The real element sets over a day against an independent calculation from the reference
// model's states (range rate there by differences of the range, so the Earth's rotation in
// the velocity is checked too): within 0.01 degree, 10 m and 1 m/s.
TEST(Sgp4LookAngles, AgreeWithTheIndependentReferenceOverADay) {
    const LookReference reference = lookReference();
    ASSERT_EQ(reference.stations.size(), 3u);
    ASSERT_EQ(reference.sets.size(), 36u);
    double worstAngle = 0;     // degrees
    double worstRange = 0;     // km
    double worstRate = 0;      // km/s
    double worstPoint = 0;     // degrees
    double worstAltitude = 0;  // km
    std::size_t samples = 0;
    for (const LookReference::Set& set : reference.sets) {
        SCOPED_TRACE(set.name);
        Sgp4Setup setup = initialiseSgp4(set.elements);
        ASSERT_EQ(setup.error, Sgp4Error::none);
        ASSERT_EQ(set.samples.size(), 241u);
        for (const LookReference::Sample& sample : set.samples) {
            const Sgp4Sample result =
                sampleSgp4(setup.orbit, reference.stations.at(sample.station), sample.year, sample.dayNumber);
            ASSERT_EQ(result.state.error, Sgp4Error::none);
            const Sgp4LookAngles& look = result.look;
            const std::vector<double>& e = sample.expected;
            const double azimuth = std::fabs(wrappedDegrees(look.azimuth / degree - e[0]));
            const double elevation = std::fabs(look.elevation / degree - e[1]);
            const double range = std::fabs(look.range - e[2]);
            const double rate = std::fabs(look.rangeRate - e[3]);
            const double latitude = std::fabs(look.latitude / degree - e[4]);
            const double longitude = std::fabs(wrappedDegrees(look.longitude / degree - e[5]));
            const double altitude = std::fabs(look.altitude - e[6]);
            EXPECT_LT(azimuth, 0.01) << sample.dayNumber;
            EXPECT_LT(elevation, 0.01) << sample.dayNumber;
            EXPECT_LT(range, 0.010) << sample.dayNumber;
            EXPECT_LT(rate, 0.001) << sample.dayNumber;
            EXPECT_LT(latitude, 0.01) << sample.dayNumber;
            EXPECT_LT(longitude, 0.01) << sample.dayNumber;
            EXPECT_LT(altitude, 0.010) << sample.dayNumber;
            EXPECT_GE(look.longitude, -pi);
            EXPECT_LE(look.longitude, pi);
            worstAngle = std::max({worstAngle, azimuth * std::cos(look.elevation), elevation});
            worstRange = std::max(worstRange, range);
            worstRate = std::max(worstRate, rate);
            worstPoint = std::max({worstPoint, latitude, longitude});
            worstAltitude = std::max(worstAltitude, altitude);
            ++samples;
        }
    }
    std::printf(
        "look angles: %zu samples, angles within %.2g deg, range %.2g m, range rate %.2g mm/s, "
        "sub-satellite point %.2g deg, altitude %.2g m\n",
        samples, worstAngle, worstRange * 1000, worstRate * 1e6, worstPoint, worstAltitude * 1000);
}

}  // namespace
}  // namespace station
