// The SGP4 model against the built-in one on the real element sets: a guard against unit
// mix-ups (the two must roughly agree near the epoch), and the measured differences printed.
#include "orbit/pass.hpp"
#include "orbit/sgp4_look_angles.hpp"

#include "orbit/tests/orbit_fixtures.hpp"
#include "orbit/tests/sgp4_data.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace station {
namespace {

using testing::degree;
using testing::NamedSet;
using testing::Statistics;
using testing::realSets;
using testing::stationAt;

constexpr double demoLatitude = 52.35;
constexpr double demoLongitude = 4.92;
constexpr double secondsPerDay = 86400;

// The clock fields of minute `minute` of day `day` (UTC).
ClockTime clockAt(int year, double day, double minute) {
    return {static_cast<std::int16_t>(year), 1, static_cast<float>(day), 0, static_cast<float>(minute), 0};
}

struct Comparison {
    Statistics elevation;         // degrees
    Statistics azimuth;           // degrees, while the satellite is up but not near the zenith
    Statistics pointing;          // degrees between the two directions, while the satellite is up
    Statistics range;             // km
    Statistics aos;               // seconds
    Statistics los;               // seconds
    Statistics maximumElevation;  // degrees
    int passes = 0;
    int unmatchedPasses = 0;
};

constexpr double zenithRegion = 80 * degree;

double angleBetween(double azimuth1, double elevation1, double azimuth2, double elevation2) {
    const double cosAngle = std::sin(elevation1) * std::sin(elevation2) +
                            std::cos(elevation1) * std::cos(elevation2) * std::cos(azimuth1 - azimuth2);
    return std::acos(std::clamp(cosAngle, -1.0, 1.0));
}

struct PassTimes {
    double aos = 0;  // day numbers
    double los = 0;
    double maximumElevation = 0;  // radians
};

// The built-in search's step rules on the SGP4 model: coarse steps until the state changes,
// two steps back, fine steps (a fiftieth) until it changes again; the time reported is the
// one after the first fine sample past the horizon, as the built-in search reports it. The
// maximum elevation is the highest fine sample of the pass.
std::optional<PassTimes> sgp4Pass(Sgp4Orbit& orbit, const GeodeticStation& station, int year, double day,
                                  double startMinute, double boundMinutes) {
    const double step = 1;
    const double fineStep = step / 50;
    double minute = startMinute;
    auto elevationAt = [&](double m) {
        const Sgp4Sample sample = sampleSgp4(orbit, station, year, day + m / 1440);
        return sample.state.error == Sgp4Error::none ? sample.look.elevation : -1.0;
    };
    auto scan = [&](double scanStep, bool untilUp) {
        while (minute < startMinute + boundMinutes) {
            const double elevation = elevationAt(minute);
            minute += scanStep;
            if ((elevation > 0) == untilUp) {
                return true;
            }
        }
        return false;
    };
    if (!scan(step, true)) {
        return std::nullopt;
    }
    minute -= 2 * step;
    scan(fineStep, true);
    PassTimes pass;
    pass.aos = day + minute / 1440;
    const double aosMinute = minute;
    scan(step, false);
    minute -= 2 * step;
    scan(fineStep, false);
    pass.los = day + minute / 1440;
    for (double m = aosMinute; m <= minute; m += fineStep) {
        pass.maximumElevation = std::max(pass.maximumElevation, elevationAt(m));
    }
    return pass;
}

Comparison compare(const KeplerianElementSet& elements, int sampleMinutes, bool withPasses) {
    Comparison result;
    const int year = elements.epochYear;
    const double day = std::floor(elements.epochDay);
    const double firstMinute = std::floor((elements.epochDay - day) * 24) * 60;
    const OrbitConstants constants = trackerConstants(clockAt(year, day, firstMinute));
    const StationPosition builtInStation = stationAt(demoLatitude, demoLongitude);
    const GeodeticStation station = geodeticStation(demoLatitude * degree, demoLongitude * degree);
    Sgp4Orbit orbit = initialiseSgp4(elements).orbit;

    for (int minute = 0; minute <= 1440; minute += sampleMinutes) {
        const ClockTime time = clockAt(year, day, firstMinute + minute);
        SatelliteState builtIn;
        propagate(constants, elements, time, builtIn);
        lookAngles(constants, builtInStation, builtIn);
        const Sgp4Sample sample = sampleSgp4(orbit, station, year, dayNumberOf(time));
        EXPECT_EQ(sample.state.error, Sgp4Error::none);
        result.elevation.add((builtIn.elevation - sample.look.elevation) / degree);
        result.range.add(builtIn.range - sample.look.range);
        if (sample.look.elevation > 0) {
            // Near the zenith the azimuth swings fast: there only the direction is compared.
            if (sample.look.elevation < zenithRegion) {
                result.azimuth.add(std::remainder((builtIn.azimuth - sample.look.azimuth) / degree, 360.0));
            }
            result.pointing.add(
                angleBetween(builtIn.azimuth, builtIn.elevation, sample.look.azimuth, sample.look.elevation) /
                degree);
        }
    }
    if (!withPasses) {
        return result;
    }

    PassSearchSettings settings;
    settings.boundDays = 2;
    PassSearchDisplay display;
    double searchMinute = firstMinute;
    while (searchMinute < firstMinute + 1440) {
        ClockTime time = clockAt(year, day, searchMinute);
        SatelliteState state;
        const PassPrediction expected =
            predictPass(constants, elements, builtInStation, settings, time, state, display);
        if (!expected.found || expected.aos >= day + (firstMinute + 1440) / 1440) {
            break;
        }
        if (expected.aos < day + (firstMinute + 5) / 1440) {
            // In progress at the start of the search: no real rise to compare.
            searchMinute = (expected.los - day) * 1440 + 1;
            continue;
        }
        ++result.passes;
        // The SGP4 pass nearest in time, searched from ten minutes before the built-in AOS.
        const double from = std::max(searchMinute, (expected.aos - day) * 1440 - 10);
        const std::optional<PassTimes> found = sgp4Pass(orbit, station, year, day, from, 1440);
        if (found && std::fabs(found->aos - expected.aos) * 1440 < 10) {
            result.aos.add((expected.aos - found->aos) * secondsPerDay);
            result.los.add((expected.los - found->los) * secondsPerDay);
            result.maximumElevation.add((expected.maximumElevation - found->maximumElevation) / degree);
        } else {
            // A pass one model finds and the other does not can only graze the horizon.
            EXPECT_LT(expected.maximumElevation, 1 * degree) << expected.aos;
            ++result.unmatchedPasses;
        }
        searchMinute = (expected.los - day) * 1440 + 1;
    }
    return result;
}

bool isLowOrbit(const KeplerianElementSet& elements) {
    return elements.meanMotion > 1440 / 225.0;
}

// A fresh low set near its epoch: the two models put the satellite in nearly the same place of
// the sky. A unit mix-up (degrees for radians, minutes for days, km for Earth radii) would put
// them tens of degrees and thousands of kilometres apart.
TEST(Sgp4AgainstBuiltInModel, AgreeForAFreshLowOrbitNearItsEpoch) {
    for (const NamedSet& set : realSets()) {
        if (set.name != "ISS" && set.name != "SO-50" && set.name != "AO-91") {
            continue;
        }
        SCOPED_TRACE(set.name);
        const Comparison c = compare(set.elements, 1, true);
        EXPECT_LT(c.elevation.maximum, 1.0);
        EXPECT_LT(c.elevation.rms(), 0.5);
        EXPECT_LT(c.range.maximum, 30.0);
        EXPECT_GT(c.passes, 2);
        EXPECT_EQ(c.unmatchedPasses, 0);
        EXPECT_LT(c.aos.maximum, 60.0);
        EXPECT_LT(c.los.maximum, 60.0);
    }
}

// The differences on every shared set over the day after its epoch, printed for the record.
TEST(Sgp4AgainstBuiltInModel, DifferencesOnTheSharedSets) {
    const std::vector<NamedSet> sets = realSets();
    ASSERT_EQ(sets.size(), 36u);
    Comparison lowOrbits;
    std::printf("%-12s %13s %13s %13s %15s %13s %13s %13s %6s\n", "set", "elev rms/max", "azim rms/max",
                "point rms/max", "range rms/max", "AOS rms/max", "LOS rms/max", "maxel rms/max", "passes");
    for (const NamedSet& set : sets) {
        const bool low = isLowOrbit(set.elements);
        const Comparison c = compare(set.elements, 1, low);
        std::printf(
            "%-12s %6.3f %6.3f %6.2f %6.2f %6.3f %6.3f %7.2f %7.2f %6.1f %6.1f %6.1f %6.1f %6.2f %6.2f "
            "%3d%s\n",
            set.name.c_str(), c.elevation.rms(), c.elevation.maximum, c.azimuth.rms(), c.azimuth.maximum,
            c.pointing.rms(), c.pointing.maximum, c.range.rms(), c.range.maximum, c.aos.rms(), c.aos.maximum,
            c.los.rms(), c.los.maximum, c.maximumElevation.rms(), c.maximumElevation.maximum, c.passes,
            low ? "" : "  (deep space)");
        if (low) {
            lowOrbits.elevation.add(c.elevation);
            lowOrbits.azimuth.add(c.azimuth);
            lowOrbits.pointing.add(c.pointing);
            lowOrbits.range.add(c.range);
            lowOrbits.aos.add(c.aos);
            lowOrbits.los.add(c.los);
            lowOrbits.maximumElevation.add(c.maximumElevation);
            lowOrbits.passes += c.passes;
            lowOrbits.unmatchedPasses += c.unmatchedPasses;
        }
    }
    std::printf(
        "low orbits (rms/max): elevation %.3f/%.3f deg, azimuth %.2f/%.2f deg, pointing %.3f/%.3f deg, "
        "range %.2f/%.2f km, AOS %.1f/%.1f s, LOS %.1f/%.1f s, maximum elevation %.2f/%.2f deg; %d passes, "
        "%d found by the built-in model only\n",
        lowOrbits.elevation.rms(), lowOrbits.elevation.maximum, lowOrbits.azimuth.rms(),
        lowOrbits.azimuth.maximum, lowOrbits.pointing.rms(), lowOrbits.pointing.maximum,
        lowOrbits.range.rms(), lowOrbits.range.maximum, lowOrbits.aos.rms(), lowOrbits.aos.maximum,
        lowOrbits.los.rms(), lowOrbits.los.maximum, lowOrbits.maximumElevation.rms(),
        lowOrbits.maximumElevation.maximum, lowOrbits.passes, lowOrbits.unmatchedPasses);
    EXPECT_GT(lowOrbits.passes, 200);
    EXPECT_LT(lowOrbits.unmatchedPasses, 5);
    EXPECT_LT(lowOrbits.elevation.rms(), 0.5);
    EXPECT_LT(lowOrbits.aos.maximum, 60.0);
    EXPECT_LT(lowOrbits.los.maximum, 60.0);
}

}  // namespace
}  // namespace station
