#pragma once
// The SGP4 model, the one two-line element sets are fitted for: near-Earth for periods under 225
// minutes, with the deep-space terms (SDP4) above. WGS-72 constants. States are in the TEME frame
// of the element set (true equator, mean equinox of date), in km and km/s.
#include "orbit/elements.hpp"
#include "orbit/sgp4_deep_space.hpp"

namespace station {

// Why the model gives no state; the values are the model's published error numbers.
enum class Sgp4Error {
    none = 0,
    meanElementsOutOfRange = 1,  // mean eccentricity not within -0.001..1
    meanMotionNotPositive = 2,
    perturbedEccentricityOutOfRange = 3,  // after the lunar-solar terms, not within 0..1
    semiLatusRectumNegative = 4,
    decayed = 6,  // the orbit radius has fallen below the Earth's
    // Not one of the model's own: an instant a century or more from the epoch (a clock or an
    // element set gone wrong), refused before the resonance integrator could run for seconds.
    tooFarFromEpoch = 100,
};

// A short text for the message line, e.g. "eccentricity out of range".
const char* sgp4ErrorText(Sgp4Error error);

struct Vector3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

// The drag coefficients carry the names of the published theory; the unit of length is the
// Earth radius and the unit of time the minute.
struct Sgp4DragTerms {
    bool simplified = false;  // perigee below 220 km: only the C1 terms
    double c1 = 0;
    double c4 = 0;
    double c5 = 0;
    double d2 = 0;
    double d3 = 0;
    double d4 = 0;
    double perigeeCoefficient = 0;  // B* C3 cos(w0): the argument of perigee's drift
    double anomalyCoefficient = 0;  // -2/3 (q0-s)^4 B* xi^4 / (e0 eta): the mean anomaly's
    double nodeCoefficient = 0;     // of t^2 in the node
    double eta = 0;
    double etaCosAtEpochCubed = 0;  // (1 + eta cos M0)^3
    double sinMeanAnomalyAtEpoch = 0;
    // The mean longitude's drag terms: coefficients of t^2 .. t^5.
    double longitudeT2 = 0;
    double longitudeT3 = 0;
    double longitudeT4 = 0;
    double longitudeT5 = 0;
};

// The functions of the inclination the periodic terms use.
struct Sgp4InclinationTerms {
    double sinInclination = 0;
    double cosInclination = 0;
    double longPeriodLongitude = 0;  // A30 sin i / (8 k2) (3 + 5 cos i) / (1 + cos i)
    double longPeriodAy = 0;         // A30 sin i / (4 k2)
};

// The model of one element set, set up once by initialiseSgp4.
struct Sgp4Orbit {
    std::int16_t epochYear = 0;
    double epochDay = 0;             // day number of the epoch (1.0 = 1 January 00:00 UTC)
    Sgp4MeanElements epochElements;  // with the recovered (Brouwer) mean motion
    double semiMajorAxis = 0;        // Earth radii, recovered
    double bStar = 0;                // per Earth radius
    // The Earth's secular rates, radians per minute.
    double meanAnomalyRate = 0;
    double perigeeRate = 0;
    double nodeRate = 0;
    Sgp4DragTerms drag;
    Sgp4InclinationTerms periodic;  // of the epoch inclination (deep space: of the moving one)
    bool deepSpace = false;
    DeepSpaceTerms deep;
};

struct Sgp4State {
    Sgp4Error error = Sgp4Error::none;  // when not none the rest is not valid
    Vector3 positionKm;                 // TEME
    Vector3 velocityKmPerSecond;        // TEME
    double meanAnomaly = 0;             // radians 0..2pi, the mean anomaly the model propagates
};

struct Sgp4Setup {
    Sgp4Error error = Sgp4Error::none;  // the model refuses the set at its epoch
    Sgp4Orbit orbit;
};

// Sets the model up for an element set and checks it at its epoch.
Sgp4Setup initialiseSgp4(const KeplerianElementSet& elements);

// The state `minutesSinceEpoch` after the epoch (before it when negative). Changes nothing in
// `orbit` but the resonance integrator's last step of a resonant deep-space orbit, which only
// saves work: results do not depend on the order of calls. One record serves one caller at a
// time.
Sgp4State propagateSgp4(Sgp4Orbit& orbit, double minutesSinceEpoch);

// The Julian date (UTC) of a day number of a year (1901-2099).
double julianDateOf(int year, double dayNumber);
// Minutes from the element epoch to the day number `dayNumber` of `year`.
double minutesSinceEpoch(int epochYear, double epochDay, int year, double dayNumber);
inline double minutesSinceEpoch(const Sgp4Orbit& orbit, int year, double dayNumber) {
    return minutesSinceEpoch(orbit.epochYear, orbit.epochDay, year, dayNumber);
}

// Greenwich mean sidereal time by the IAU 1982 formula, radians 0..2pi, UT1 taken as UTC.
double greenwichMeanSiderealTime(double julianDate);

}  // namespace station
