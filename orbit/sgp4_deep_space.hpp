#pragma once
// The deep-space part of the SGP4 model (SDP4), for periods of 225 minutes and more: the secular
// and long-period effects of the Sun and the Moon, and the Earth's tesseral resonances of 24-hour
// (synchronous) and 12-hour orbits, the latter integrated numerically in 720-minute steps.
#include <array>

namespace station {

// Mean elements as they pass from one stage of the model to the next.
struct Sgp4MeanElements {
    double eccentricity = 0;
    double inclination = 0;        // radians
    double raan = 0;               // radians
    double argumentOfPerigee = 0;  // radians
    double meanAnomaly = 0;        // radians
    double meanMotion = 0;         // radians per minute
};

// One long-period lunar or solar perturbation of an element: f2 F2 + f3 F3 + sinF sin f, where f
// is the body's true anomaly and F2 = sin^2 f / 2 - 1/4, F3 = -sin f cos f / 2.
struct ThirdBodyHarmonic {
    double f2 = 0;
    double f3 = 0;
    double sinF = 0;
};

// The long-period terms of the Sun or the Moon for one satellite.
struct ThirdBodyTerms {
    double meanAnomalyAtEpoch = 0;      // the body's, radians
    double meanMotionRadPerMinute = 0;  // the body's
    double orbitEccentricity = 0;       // the body's
    ThirdBodyHarmonic eccentricity;
    ThirdBodyHarmonic inclination;  // radians
    ThirdBodyHarmonic meanAnomaly;  // radians
    ThirdBodyHarmonic perigee;      // argument of perigee plus cos i times the node, radians
    ThirdBodyHarmonic node;         // the node times sin i, radians
};

enum class Resonance { none, synchronous, halfDay };

// One term of the resonant geopotential: amplitude sin(perigee * w + longitude * L - phase), L the
// resonant longitude and w the argument of perigee (12-hour orbits only).
struct ResonanceTerm {
    double amplitude = 0;  // radians per minute squared
    int perigeeMultiple = 0;
    int longitudeMultiple = 0;
    double phase = 0;  // radians
};

// The integrator at one of its 720-minute steps, with the rates found there. Steps are always
// taken from the epoch in the direction of the requested instant, so a step reached again from a
// later one is the same step to the bit: the order of requests never changes a result.
struct ResonanceStep {
    double minutes = 0;                 // from the epoch
    double meanMotion = 0;              // radians per minute
    double longitude = 0;               // the resonant longitude, radians
    double longitudeRate = 0;           // radians per minute
    double meanMotionRate = 0;          // radians per minute squared
    double meanMotionAcceleration = 0;  // radians per minute cubed
};

struct ResonanceTerms {
    Resonance kind = Resonance::none;
    std::array<ResonanceTerm, 10> terms{};
    int termCount = 0;
    double longitudeRateOffset = 0;  // the longitude's rate minus the mean motion, radians per minute
    double perigeeAtEpoch = 0;       // radians, for the 12-hour terms
    double perigeeRate = 0;          // the Earth's secular rate, radians per minute
    double meanMotionAtEpoch = 0;    // radians per minute
    ResonanceStep atEpoch;
};

struct DeepSpaceTerms {
    double greenwichAtEpoch = 0;  // radians
    ThirdBodyTerms sun;
    ThirdBodyTerms moon;
    // The Sun's and Moon's secular rates, per minute.
    double eccentricityRate = 0;
    double inclinationRate = 0;  // radians
    double meanAnomalyRate = 0;  // radians
    double perigeeRate = 0;      // radians
    double nodeRate = 0;         // radians
    ResonanceTerms resonance;
    // The only state propagation changes: the integrator's last step (resonant orbits only).
    ResonanceStep lastStep;
};

// What the deep-space set-up takes from the near-Earth one.
struct DeepSpaceEpoch {
    double daysSince1950 = 0;     // the epoch, days from 1950 January 0.0 UTC
    double greenwichAtEpoch = 0;  // sidereal angle, radians
    Sgp4MeanElements elements;    // at the epoch, with the recovered (Brouwer) mean motion
    // The Earth's secular rates, radians per minute.
    double meanAnomalyRate = 0;
    double perigeeRate = 0;
    double nodeRate = 0;
};

DeepSpaceTerms initialiseDeepSpace(const DeepSpaceEpoch& epoch);

// Adds the lunar-solar secular drift to `elements` (which hold the epoch's eccentricity and
// inclination and the Earth's secular node, perigee and mean anomaly at `minutes`) and, for a
// resonant orbit, replaces mean motion and mean anomaly by the integrated ones.
void addDeepSpaceSecular(DeepSpaceTerms& terms, double minutes, Sgp4MeanElements& elements);

// Adds the lunar-solar long-period terms at `minutes` to the mean elements.
void addLunarSolarPeriodics(const DeepSpaceTerms& terms, double minutes, Sgp4MeanElements& elements);

}  // namespace station
