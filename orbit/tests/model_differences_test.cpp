// The two orbit models through the seam both programs use, on the real element sets over the
// day after each set's epoch from the demo station: the position differences sample by sample
// and each model's own passes, found by the pass search as the tracker runs it. Printed for the
// record; the bounds only guard against a model wired wrongly.
#include "orbit/orbit_model.hpp"
#include "orbit/pass.hpp"

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
using testing::NamedSet;
using testing::Statistics;
using testing::realSets;
using testing::stationAt;

constexpr double secondsPerDay = 86400;
constexpr double zenithRegion = 80 * degree;

struct Differences {
    Statistics elevation;         // degrees, every sample
    Statistics azimuth;           // degrees, while up and below 80 degrees
    Statistics pointing;          // degrees between the two directions, while up
    Statistics range;             // km
    Statistics rangeRate;         // m/s, while up
    Statistics aos;               // seconds
    Statistics los;               // seconds
    Statistics maximumElevation;  // degrees
    int passes = 0;
    int unmatched = 0;  // passes one model finds and the other does not
    void add(const Differences& other) {
        elevation.add(other.elevation);
        azimuth.add(other.azimuth);
        pointing.add(other.pointing);
        range.add(other.range);
        rangeRate.add(other.rangeRate);
        aos.add(other.aos);
        los.add(other.los);
        maximumElevation.add(other.maximumElevation);
        passes += other.passes;
        unmatched += other.unmatched;
    }
};

ClockTime clockAt(int year, double day, double minute, double second = 0) {
    return {static_cast<std::int16_t>(year), 1, static_cast<float>(day), 0, static_cast<float>(minute),
            static_cast<float>(second)};
}

double angleBetween(double azimuth1, double elevation1, double azimuth2, double elevation2) {
    const double cosAngle = std::sin(elevation1) * std::sin(elevation2) +
                            std::cos(elevation1) * std::cos(elevation2) * std::cos(azimuth1 - azimuth2);
    return std::acos(std::clamp(cosAngle, -1.0, 1.0));
}

// Each model's passes over the day, searched one after the other from the LOS of the last.
std::vector<PassPrediction> passesOfTheDay(const OrbitConstants& constants, SatelliteOrbit& orbit,
                                           const ObserverSite& site, int year, double day, double firstMinute) {
    std::vector<PassPrediction> passes;
    PassSearchSettings settings;
    settings.searchStep = 1;
    settings.boundDays = 2;
    PassSearchDisplay quiet;
    double minute = firstMinute;
    while (minute < firstMinute + 1440) {
        ClockTime time = clockAt(year, day, minute);
        SatelliteState state;
        const PassPrediction pass = predictPass(constants, orbit, site, settings, time, state, quiet);
        if (!pass.found || pass.aos >= day + (firstMinute + 1440) / 1440) {
            break;
        }
        // One in progress at the start has no rise to compare.
        if (pass.aos > day + (firstMinute + 5) / 1440) {
            passes.push_back(pass);
        }
        minute = (pass.los - day) * 1440 + 1;
    }
    return passes;
}

Differences measure(const KeplerianElementSet& elements, bool withPasses) {
    Differences result;
    const int year = elements.epochYear;
    const double day = std::floor(elements.epochDay);
    const double firstMinute = std::floor((elements.epochDay - day) * 24) * 60;
    const OrbitConstants constants = trackerConstants(clockAt(year, day, firstMinute));
    const ObserverSite site = observerSite(stationAt(52.35, 4.92), static_cast<float>(52.35 * degree));
    SatelliteOrbit builtIn = satelliteOrbit(OrbitModel::builtIn, elements);
    SatelliteOrbit sgp4 = satelliteOrbit(OrbitModel::sgp4, elements);

    SatelliteState a;
    SatelliteState b;
    for (int minute = 0; minute <= 1440; ++minute) {
        // Two samples a second apart on whole seconds, as the tracker takes them, so the built-in
        // model's range rate is the difference of ranges it gives the Doppler correction.
        for (const double second : {-1.0, 0.0}) {
            const ClockTime time = clockAt(year, day, firstMinute + minute, second);
            sampleOrbit(constants, builtIn, site, time, a);
            EXPECT_EQ(sampleOrbit(constants, sgp4, site, time, b), Sgp4Error::none);
        }
        result.elevation.add((a.elevation - b.elevation) / degree);
        result.range.add(a.range - b.range);
        if (b.elevation > 0) {
            result.rangeRate.add((a.rangeRate - b.rangeRate) * 1000);
            if (b.elevation < zenithRegion) {
                result.azimuth.add(std::remainder((a.azimuth - b.azimuth) / degree, 360.0));
            }
            result.pointing.add(angleBetween(a.azimuth, a.elevation, b.azimuth, b.elevation) / degree);
        }
    }
    if (!withPasses) {
        return result;
    }
    const std::vector<PassPrediction> expected = passesOfTheDay(constants, builtIn, site, year, day, firstMinute);
    const std::vector<PassPrediction> found = passesOfTheDay(constants, sgp4, site, year, day, firstMinute);
    for (const PassPrediction& pass : expected) {
        ++result.passes;
        const auto nearest = std::min_element(found.begin(), found.end(), [&](const auto& x, const auto& y) {
            return std::fabs(x.aos - pass.aos) < std::fabs(y.aos - pass.aos);
        });
        if (nearest == found.end() || std::fabs(nearest->aos - pass.aos) * 1440 > 10) {
            // A pass one model finds and the other does not can only graze the horizon.
            EXPECT_LT(pass.maximumElevation, 1 * degree) << pass.aos;
            ++result.unmatched;
            continue;
        }
        result.aos.add((pass.aos - nearest->aos) * secondsPerDay);
        result.los.add((pass.los - nearest->los) * secondsPerDay);
        result.maximumElevation.add((pass.maximumElevation - nearest->maximumElevation) / degree);
    }
    return result;
}

void print(const char* name, const Differences& d, const char* note) {
    std::printf("%-12s %6.3f %6.3f %6.2f %6.2f %6.3f %6.3f %7.2f %7.2f %6.1f %6.1f %5.1f %5.1f %5.1f %5.1f %5.2f "
                "%5.2f %3d%s\n",
                name, d.elevation.rms(), d.elevation.maximum, d.azimuth.rms(), d.azimuth.maximum, d.pointing.rms(),
                d.pointing.maximum, d.range.rms(), d.range.maximum, d.rangeRate.rms(), d.rangeRate.maximum,
                d.aos.rms(), d.aos.maximum, d.los.rms(), d.los.maximum, d.maximumElevation.rms(),
                d.maximumElevation.maximum, d.passes, note);
}

TEST(ModelDifferences, OnTheSharedSetsThroughTheSeam) {
    const std::vector<NamedSet> sets = realSets();
    ASSERT_EQ(sets.size(), 36u);
    Differences lowOrbits;
    int lowSets = 0;
    std::printf("rms/max of built-in minus SGP4: elevation, azimuth (up, below 80), pointing (up) in degrees; "
                "range km; range rate (up) m/s; AOS, LOS s; maximum elevation degrees; passes\n");
    for (const NamedSet& set : sets) {
        const bool low = set.elements.meanMotion > 1440 / 225.0;
        const Differences d = measure(set.elements, low);
        print(set.name.c_str(), d, low ? "" : "  (deep space)");
        if (low) {
            lowOrbits.add(d);
            ++lowSets;
            EXPECT_LT(d.elevation.maximum, 5.0) << set.name;
        } else {
            EXPECT_LT(d.elevation.maximum, 1.0) << set.name;
            EXPECT_LT(d.range.maximum, 60.0) << set.name;
        }
    }
    std::printf("%d low orbits, %d passes of the built-in model not found by SGP4:\n", lowSets,
                lowOrbits.unmatched);
    print("together", lowOrbits, "");
    EXPECT_GT(lowOrbits.passes, 200);
    EXPECT_LT(lowOrbits.unmatched, 5);
    EXPECT_LT(lowOrbits.elevation.rms(), 0.5);
    EXPECT_LT(lowOrbits.aos.maximum, 60.0);
    EXPECT_LT(lowOrbits.los.maximum, 60.0);
}

}  // namespace
}  // namespace station
