#pragma once
// The constants of the orbital core. One implementation serves both programs; the tracker's and
// the scheduler's sets differ in values and in a few precision and formula details.
#include "orbit/time_base.hpp"

namespace station {

// Pi as both programs compute with it: every angle shown depends on these 14 digits.
inline constexpr double programPi = 3.1415926535898;

// The Earth's figure as each program knows it.
inline constexpr double trackerFlattening = 0.0033528106647474805;
inline constexpr double schedulerFlattening = 0.003352813306887091;
inline constexpr float schedulerEquatorialRadiusKm = 6378.16f;

enum class OrbitVariant { tracker, scheduler };

struct OrbitConstants {
    OrbitVariant variant = OrbitVariant::tracker;
    double pi = programPi;
    double degreesPerRadian = 180 / programPi;
    double radiansPerDegree = programPi / 180;
    float meanEarthRadiusKm = 6371.001f;        // ground distance (scheduler: also elevation)
    float equatorialEarthRadiusKm = 6378.137f;
    double flattening = trackerFlattening;
    double semiMajorAxisFactor = 331.2532744;     // K: a = K * P^(2/3), P in minutes
    double perigeeDriftCoefficient = 4.982008608;
    double nodeDriftCoefficient = -9.964017216;
    double keplerTolerance = 1e-7;
    double siderealRatio = 1.002737909350795;     // tracker: fixed at start from the clock

    bool scheduler() const { return variant == OrbitVariant::scheduler; }
};

// The tracker's constants; the sidereal ratio is fixed from the first clock reading.
OrbitConstants trackerConstants(const ClockTime& firstReading);
OrbitConstants schedulerConstants();

}  // namespace station
