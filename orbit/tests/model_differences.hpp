#pragma once
// The two orbit models through the seam both programs use, on a real element set over the day
// after its epoch from the demo station: the position differences sample by sample and each
// model's own passes, found by the pass search as the tracker runs it. The test bounds them; the
// benchmarks print them for the record.
#include "orbit/geodesy.hpp"
#include "orbit/orbit_model.hpp"
#include "orbit/pass.hpp"
#include "orbit/tests/sgp4_data.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace station::testing {

struct ModelDifferences {
    Statistics elevation;         // degrees, every sample
    Statistics azimuth;           // degrees, while up and below 80 degrees
    Statistics pointing;          // degrees between the two directions, while up
    Statistics range;             // km
    Statistics rangeRate;         // m/s, while up
    Statistics aos;               // seconds
    Statistics los;               // seconds
    Statistics maximumElevation;  // degrees
    int sgp4Failures = 0;         // samples the SGP4 model had no state for
    int passes = 0;
    int unmatched = 0;                     // passes one model finds and the other does not
    double highestUnmatchedElevation = 0;  // radians, of those passes
    void add(const ModelDifferences& other) {
        elevation.add(other.elevation);
        azimuth.add(other.azimuth);
        pointing.add(other.pointing);
        range.add(other.range);
        rangeRate.add(other.rangeRate);
        aos.add(other.aos);
        los.add(other.los);
        maximumElevation.add(other.maximumElevation);
        sgp4Failures += other.sgp4Failures;
        passes += other.passes;
        unmatched += other.unmatched;
        highestUnmatchedElevation = std::max(highestUnmatchedElevation, other.highestUnmatchedElevation);
    }
};

namespace modelDifferences {

constexpr double degree = 3.1415926535898 / 180;
constexpr double secondsPerDay = 86400;
constexpr double zenithRegion = 80 * degree;
constexpr double demoLatitude = 52.35;
constexpr double demoLongitude = 4.92;

inline ClockTime clockAt(int year, double day, double minute, double second = 0) {
    return {static_cast<std::int16_t>(year), 1, static_cast<float>(day), 0, static_cast<float>(minute),
            static_cast<float>(second)};
}

inline double angleBetween(double azimuth1, double elevation1, double azimuth2, double elevation2) {
    const double cosAngle = std::sin(elevation1) * std::sin(elevation2) +
                            std::cos(elevation1) * std::cos(elevation2) * std::cos(azimuth1 - azimuth2);
    return std::acos(std::clamp(cosAngle, -1.0, 1.0));
}

// Each model's passes over the day, searched one after the other from the LOS of the last.
inline std::vector<PassPrediction> passesOfTheDay(const OrbitConstants& constants, SatelliteOrbit& orbit,
                                                  const ObserverSite& site, int year, double day,
                                                  double firstMinute) {
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

}  // namespace modelDifferences

// Passes are compared for the low orbits only: a deep-space day holds few, and long ones.
inline bool isLowOrbit(const KeplerianElementSet& elements) { return elements.meanMotion > 1440 / 225.0; }

// The built-in model minus SGP4 over the day after the set's epoch.
inline ModelDifferences measureModelDifferences(const KeplerianElementSet& elements, bool withPasses) {
    using modelDifferences::angleBetween, modelDifferences::clockAt, modelDifferences::degree,
        modelDifferences::passesOfTheDay, modelDifferences::secondsPerDay, modelDifferences::zenithRegion;
    using modelDifferences::demoLatitude, modelDifferences::demoLongitude;
    ModelDifferences result;
    const int year = elements.epochYear;
    const double day = std::floor(elements.epochDay);
    const double firstMinute = std::floor((elements.epochDay - day) * 24) * 60;
    const OrbitConstants constants = trackerConstants(clockAt(year, day, firstMinute));
    const auto latitude = static_cast<float>(demoLatitude * degree);
    const StationPosition position{static_cast<float>(trackerGeocentricLatitude(latitude)),
                                   static_cast<float>(demoLongitude * degree)};
    const ObserverSite site = observerSite(position, latitude);
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
            if (sampleOrbit(constants, sgp4, site, time, b) != Sgp4Error::none) {
                ++result.sgp4Failures;
            }
        }
        result.elevation.add((a.elevation - b.elevation) / degree);
        result.range.add(a.range - b.range);
        if (b.elevation > 0) {
            result.rangeRate.add((a.rangeRate - b.rangeRate) * 1000);
            // Near the zenith the azimuth swings fast: there only the direction is compared.
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
            ++result.unmatched;
            result.highestUnmatchedElevation = std::max(result.highestUnmatchedElevation, pass.maximumElevation);
            continue;
        }
        result.aos.add((pass.aos - nearest->aos) * secondsPerDay);
        result.los.add((pass.los - nearest->los) * secondsPerDay);
        result.maximumElevation.add((pass.maximumElevation - nearest->maximumElevation) / degree);
    }
    return result;
}

}  // namespace station::testing
