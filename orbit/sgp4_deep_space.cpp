#include "orbit/sgp4_deep_space.hpp"

#include "orbit/sgp4_constants.hpp"

#include <cmath>

namespace station {

using namespace sgp4;

namespace {

// The Sun's and the Moon's mean orbits about the Earth.
constexpr double sunEccentricity = 0.01675;
constexpr double moonEccentricity = 0.05490;
constexpr double sunMeanMotionRadPerMinute = 1.19459e-5;
constexpr double moonMeanMotionRadPerMinute = 1.5835218e-4;
// The strength of each body's pull on the satellite's elements, radians per minute.
constexpr double sunPullRadPerMinute = 2.9864797e-6;
constexpr double moonPullRadPerMinute = 4.7968065e-7;
constexpr double sinObliquity = 0.39785416;
constexpr double cosObliquity = 0.91744867;
// The Sun's argument of perigee, measured in the ecliptic from the equinox.
constexpr double cosSunPerigee = 0.1945905;
constexpr double sinSunPerigee = -0.98088458;
// The lunar and solar arguments, in days from 1900 January 0.5: angle = atDay0 + perDay * day.
constexpr double daysFrom1900To1950 = 18261.5;
constexpr double moonNodeAtDay0 = 4.5236020;
constexpr double moonNodePerDay = -9.2422029e-4;
constexpr double moonPerigeeAtDay0 = 5.8351514;
constexpr double moonPerigeePerDay = 0.0019443680;
constexpr double moonLongitudeAtDay0 = 4.7199672;
constexpr double moonLongitudePerDay = 0.22997150;
constexpr double sunAnomalyAtDay0 = 6.2565837;
constexpr double sunAnomalyPerDay = 0.017201977;
// The Moon's inclination to the equator: cos i = mean - swing cos(node); the sine of its node's
// right ascension is rightAscensionFactor sin(node) / sin i.
constexpr double moonCosInclinationMean = 0.91375164;
constexpr double moonCosInclinationSwing = 0.03568096;
constexpr double moonRightAscensionFactor = 0.089683511;
// Within 3 degrees of the equator the node's secular rate is left out: it divides by sin i.
constexpr double equatorialInclination = 5.2359877e-2;
// Below this inclination the periodic terms are applied to the orbit normal (Lyddane's way), as
// the node loses its meaning in an equatorial orbit.
constexpr double lyddaneInclination = 0.2;

// Mean motions that resonate with the Earth's rotation.
constexpr double synchronousLowest = 0.0034906585;  // radians per minute, exclusive
constexpr double synchronousHighest = 0.0052359877;
constexpr double halfDayLowest = 8.26e-3;  // inclusive
constexpr double halfDayHighest = 9.24e-3;
constexpr double halfDayLowestEccentricity = 0.5;
constexpr double integratorStepMinutes = 720;

// A satellite's orientation relative to one disturbing body's orbit.
struct BodyGeometry {
    double cosPerigee;  // the body's argument of perigee
    double sinPerigee;
    double cosInclination;  // the body's orbit to the equator
    double sinInclination;
    double cosNode;  // the satellite's node from the body's node on the equator
    double sinNode;
    double pullRadPerMinute;
};

// The coefficients of the third-body disturbing function of the theory, under its own names.
struct DisturbingFunction {
    double s1, s2, s3, s4, s5, s6, s7;
    double z1, z2, z3, z11, z12, z13, z21, z22, z23, z31, z32, z33;
};

DisturbingFunction disturbingFunction(const BodyGeometry& body, const Sgp4MeanElements& satellite) {
    const double e2 = satellite.eccentricity * satellite.eccentricity;
    const double beta2 = 1 - e2;
    const double beta = std::sqrt(beta2);
    const double sinI = std::sin(satellite.inclination);
    const double cosI = std::cos(satellite.inclination);
    const double sinW = std::sin(satellite.argumentOfPerigee);
    const double cosW = std::cos(satellite.argumentOfPerigee);
    const double cg = body.cosPerigee;
    const double sg = body.sinPerigee;
    const double ci = body.cosInclination;
    const double si = body.sinInclination;
    const double ch = body.cosNode;
    const double sh = body.sinNode;

    // Direction cosines of the body's perigee and of the normal to its orbit, in the satellite's
    // node frame.
    const double a1 = cg * ch + sg * ci * sh;
    const double a3 = -sg * ch + cg * ci * sh;
    const double a7 = -cg * sh + sg * ci * ch;
    const double a8 = sg * si;
    const double a9 = sg * sh + cg * ci * ch;
    const double a10 = cg * si;
    const double a2 = cosI * a7 + sinI * a8;
    const double a4 = cosI * a9 + sinI * a10;
    const double a5 = -sinI * a7 + cosI * a8;
    const double a6 = -sinI * a9 + cosI * a10;
    // ... and in the satellite's perigee frame.
    const double x1 = a1 * cosW + a2 * sinW;
    const double x2 = a3 * cosW + a4 * sinW;
    const double x3 = -a1 * sinW + a2 * cosW;
    const double x4 = -a3 * sinW + a4 * cosW;
    const double x5 = a5 * sinW;
    const double x6 = a6 * sinW;
    const double x7 = a5 * cosW;
    const double x8 = a6 * cosW;

    DisturbingFunction f;
    f.z31 = 12 * x1 * x1 - 3 * x3 * x3;
    f.z32 = 24 * x1 * x2 - 6 * x3 * x4;
    f.z33 = 12 * x2 * x2 - 3 * x4 * x4;
    f.z11 = -6 * a1 * a5 + e2 * (-24 * x1 * x7 - 6 * x3 * x5);
    f.z12 = -6 * (a1 * a6 + a3 * a5) + e2 * (-24 * (x2 * x7 + x1 * x8) - 6 * (x3 * x6 + x4 * x5));
    f.z13 = -6 * a3 * a6 + e2 * (-24 * x2 * x8 - 6 * x4 * x6);
    f.z21 = 6 * a2 * a5 + e2 * (24 * x1 * x5 - 6 * x3 * x7);
    f.z22 = 6 * (a4 * a5 + a2 * a6) + e2 * (24 * (x2 * x5 + x1 * x6) - 6 * (x4 * x7 + x3 * x8));
    f.z23 = 6 * a4 * a6 + e2 * (24 * x2 * x6 - 6 * x4 * x8);
    f.z1 = 2 * (3 * (a1 * a1 + a2 * a2) + f.z31 * e2) + beta2 * f.z31;
    f.z2 = 2 * (6 * (a1 * a3 + a2 * a4) + f.z32 * e2) + beta2 * f.z32;
    f.z3 = 2 * (3 * (a3 * a3 + a4 * a4) + f.z33 * e2) + beta2 * f.z33;
    f.s3 = body.pullRadPerMinute / satellite.meanMotion;
    f.s2 = -0.5 * f.s3 / beta;
    f.s4 = f.s3 * beta;
    f.s1 = -15 * satellite.eccentricity * f.s4;
    f.s5 = x1 * x3 + x2 * x4;
    f.s6 = x2 * x3 + x1 * x4;
    f.s7 = x2 * x4 - x1 * x3;
    return f;
}

ThirdBodyTerms periodicTerms(const DisturbingFunction& f, double bodyEccentricity, double bodyMeanMotion,
                             double bodyMeanAnomaly, double satelliteEccentricity) {
    const double e2 = satelliteEccentricity * satelliteEccentricity;
    ThirdBodyTerms terms;
    terms.meanAnomalyAtEpoch = bodyMeanAnomaly;
    terms.meanMotionRadPerMinute = bodyMeanMotion;
    terms.orbitEccentricity = bodyEccentricity;
    terms.eccentricity = {2 * f.s1 * f.s6, 2 * f.s1 * f.s7, 0};
    terms.inclination = {2 * f.s2 * f.z12, 2 * f.s2 * (f.z13 - f.z11), 0};
    terms.meanAnomaly = {-2 * f.s3 * f.z2, -2 * f.s3 * (f.z3 - f.z1),
                         -2 * f.s3 * (-21 - 9 * e2) * bodyEccentricity};
    terms.perigee = {2 * f.s4 * f.z32, 2 * f.s4 * (f.z33 - f.z31), -18 * f.s4 * bodyEccentricity};
    terms.node = {-2 * f.s2 * f.z22, -2 * f.s2 * (f.z23 - f.z21), 0};
    return terms;
}

// One body's secular rates of the elements, added to `terms`.
void addSecularRates(const DisturbingFunction& f, double bodyMeanMotion, const Sgp4MeanElements& satellite,
                     DeepSpaceTerms& terms) {
    const double e2 = satellite.eccentricity * satellite.eccentricity;
    const double sinI = std::sin(satellite.inclination);
    const double cosI = std::cos(satellite.inclination);
    terms.eccentricityRate += f.s1 * bodyMeanMotion * f.s5;
    terms.inclinationRate += f.s2 * bodyMeanMotion * (f.z11 + f.z13);
    terms.meanAnomalyRate -= bodyMeanMotion * f.s3 * (f.z1 + f.z3 - 14 - 6 * e2);
    const double perigeePlusNodeRate = f.s4 * bodyMeanMotion * (f.z31 + f.z33 - 6);
    double nodeSinIRate = -bodyMeanMotion * f.s2 * (f.z21 + f.z23);
    if (satellite.inclination < equatorialInclination || satellite.inclination > pi - equatorialInclination) {
        nodeSinIRate = 0;
    }
    double nodeRate = nodeSinIRate;
    if (sinI != 0) {
        nodeRate /= sinI;
    }
    terms.perigeeRate += perigeePlusNodeRate - cosI * nodeRate;
    terms.nodeRate += nodeRate;
}

ResonanceTerms halfDayResonance(const Sgp4MeanElements& epoch, double aOverEarthRadius) {
    const double e = epoch.eccentricity;
    const double e2 = e * e;
    const double e3 = e * e2;
    // Eccentricity functions of the resonant harmonics, fitted in ranges of eccentricity.
    const double g201 = -0.306 - (e - 0.64) * 0.440;
    double g211, g310, g322, g410, g422, g520;
    if (e <= 0.65) {
        g211 = 3.616 - 13.2470 * e + 16.2900 * e2;
        g310 = -19.302 + 117.3900 * e - 228.4190 * e2 + 156.5910 * e3;
        g322 = -18.9068 + 109.7927 * e - 214.6334 * e2 + 146.5816 * e3;
        g410 = -41.122 + 242.6940 * e - 471.0940 * e2 + 313.9530 * e3;
        g422 = -146.407 + 841.8800 * e - 1629.014 * e2 + 1083.4350 * e3;
        g520 = -532.114 + 3017.977 * e - 5740.032 * e2 + 3708.2760 * e3;
    } else {
        g211 = -72.099 + 331.819 * e - 508.738 * e2 + 266.724 * e3;
        g310 = -346.844 + 1582.851 * e - 2415.925 * e2 + 1246.113 * e3;
        g322 = -342.585 + 1554.908 * e - 2366.899 * e2 + 1215.972 * e3;
        g410 = -1052.797 + 4758.686 * e - 7193.992 * e2 + 3651.957 * e3;
        g422 = -3581.690 + 16178.110 * e - 24462.770 * e2 + 12422.520 * e3;
        g520 = e > 0.715 ? -5149.66 + 29936.92 * e - 54087.36 * e2 + 31324.56 * e3
                         : 1464.74 - 4664.75 * e + 3763.64 * e2;
    }
    double g533, g521, g532;
    if (e < 0.7) {
        g533 = -919.22770 + 4988.6100 * e - 9064.7700 * e2 + 5542.21 * e3;
        g521 = -822.71072 + 4568.6173 * e - 8491.4146 * e2 + 5337.524 * e3;
        g532 = -853.66600 + 4690.2500 * e - 8624.7700 * e2 + 5341.4 * e3;
    } else {
        g533 = -37995.780 + 161616.52 * e - 229838.20 * e2 + 109377.94 * e3;
        g521 = -51752.104 + 218913.95 * e - 309468.16 * e2 + 146349.42 * e3;
        g532 = -40023.880 + 170470.89 * e - 242699.48 * e2 + 115605.82 * e3;
    }
    // Inclination functions.
    const double sinI = std::sin(epoch.inclination);
    const double cosI = std::cos(epoch.inclination);
    const double cos2 = cosI * cosI;
    const double sin2 = sinI * sinI;
    const double f220 = 0.75 * (1 + 2 * cosI + cos2);
    const double f221 = 1.5 * sin2;
    const double f321 = 1.875 * sinI * (1 - 2 * cosI - 3 * cos2);
    const double f322 = -1.875 * sinI * (1 + 2 * cosI - 3 * cos2);
    const double f441 = 35 * sin2 * f220;
    const double f442 = 39.3750 * sin2 * sin2;
    const double f522 =
        9.84375 * sinI * (sin2 * (1 - 2 * cosI - 5 * cos2) + 0.33333333 * (-2 + 4 * cosI + 6 * cos2));
    const double f523 =
        sinI * (4.92187512 * sin2 * (-2 - 4 * cosI + 10 * cos2) + 6.56250012 * (1 + 2 * cosI - 3 * cos2));
    const double f542 = 29.53125 * sinI * (2 - 8 * cosI + cos2 * (-12 + 8 * cosI + 10 * cos2));
    const double f543 = 29.53125 * sinI * (-2 - 8 * cosI + cos2 * (12 + 8 * cosI - 10 * cos2));

    // The normalised harmonic coefficients and phases of the Earth's field the terms come from.
    constexpr double c22 = 1.7891679e-6;
    constexpr double c32 = 3.7393792e-7;
    constexpr double c44 = 7.3636953e-9;
    constexpr double c52 = 1.1428639e-7;
    constexpr double c54 = 2.1765803e-9;
    constexpr double phase22 = 5.7686396;
    constexpr double phase32 = 0.95240898;
    constexpr double phase44 = 1.8014998;
    constexpr double phase52 = 1.0508330;
    constexpr double phase54 = 4.4108898;
    const double n = epoch.meanMotion;
    const double order2 = 3 * n * n * aOverEarthRadius * aOverEarthRadius;
    const double order3 = order2 * aOverEarthRadius;
    const double order4 = order3 * aOverEarthRadius;
    const double order5 = order4 * aOverEarthRadius;

    ResonanceTerms resonance;
    resonance.kind = Resonance::halfDay;
    resonance.terms = {{
        {order2 * c22 * f220 * g201, 2, 1, phase22},
        {order2 * c22 * f221 * g211, 0, 1, phase22},
        {order3 * c32 * f321 * g310, 1, 1, phase32},
        {order3 * c32 * f322 * g322, -1, 1, phase32},
        {2 * order4 * c44 * f441 * g410, 2, 2, phase44},
        {2 * order4 * c44 * f442 * g422, 0, 2, phase44},
        {order5 * c52 * f522 * g520, 1, 1, phase52},
        {order5 * c52 * f523 * g532, -1, 1, phase52},
        {2 * order5 * c54 * f542 * g521, 1, 2, phase54},
        {2 * order5 * c54 * f543 * g533, -1, 2, phase54},
    }};
    resonance.termCount = 10;
    return resonance;
}

ResonanceTerms synchronousResonance(const Sgp4MeanElements& epoch, double aOverEarthRadius) {
    const double e2 = epoch.eccentricity * epoch.eccentricity;
    const double sinI = std::sin(epoch.inclination);
    const double cosI = std::cos(epoch.inclination);
    const double g200 = 1 + e2 * (-2.5 + 0.8125 * e2);
    const double g310 = 1 + 2 * e2;
    const double g300 = 1 + e2 * (-6 + 6.60937 * e2);
    const double f220 = 0.75 * (1 + cosI) * (1 + cosI);
    const double f311 = 0.9375 * sinI * sinI * (1 + 3 * cosI) - 0.75 * (1 + cosI);
    const double f330 = 1.875 * (1 + cosI) * (1 + cosI) * (1 + cosI);
    constexpr double c22 = 1.7891679e-6;
    constexpr double c31 = 2.1460748e-6;
    constexpr double c33 = 2.2123015e-7;
    constexpr double phase31 = 0.13130908;
    constexpr double phase22 = 2.8843198;
    constexpr double phase33 = 0.37448087;
    const double n = epoch.meanMotion;
    const double order2 = 3 * n * n * aOverEarthRadius * aOverEarthRadius;

    ResonanceTerms resonance;
    resonance.kind = Resonance::synchronous;
    resonance.terms[0] = {order2 * f311 * g310 * c31 * aOverEarthRadius, 0, 1, phase31};
    resonance.terms[1] = {2 * order2 * f220 * g200 * c22, 0, 2, 2 * phase22};
    resonance.terms[2] = {3 * order2 * f330 * g300 * c33 * aOverEarthRadius, 0, 3, 3 * phase33};
    resonance.termCount = 3;
    return resonance;
}

// The rates at the integrator's step `step` (its time, mean motion and longitude set).
void resonanceRates(const ResonanceTerms& resonance, ResonanceStep& step) {
    const double perigee = resonance.perigeeAtEpoch + resonance.perigeeRate * step.minutes;
    double meanMotionRate = 0;
    double acceleration = 0;
    for (int k = 0; k < resonance.termCount; ++k) {
        const ResonanceTerm& term = resonance.terms[k];
        const double angle =
            term.perigeeMultiple * perigee + term.longitudeMultiple * step.longitude - term.phase;
        meanMotionRate += term.amplitude * std::sin(angle);
        acceleration += term.longitudeMultiple * term.amplitude * std::cos(angle);
    }
    step.longitudeRate = step.meanMotion + resonance.longitudeRateOffset;
    step.meanMotionRate = meanMotionRate;
    step.meanMotionAcceleration = acceleration * step.longitudeRate;
}

}  // namespace

DeepSpaceTerms initialiseDeepSpace(const DeepSpaceEpoch& epoch) {
    const Sgp4MeanElements& satellite = epoch.elements;
    DeepSpaceTerms terms;
    terms.greenwichAtEpoch = epoch.greenwichAtEpoch;

    // The Sun's and the Moon's orbits at the epoch.
    const double day = epoch.daysSince1950 + daysFrom1900To1950;
    const double moonNode = moonNodeAtDay0 + moonNodePerDay * day;
    const double sinMoonNode = std::sin(moonNode);
    const double cosMoonNode = std::cos(moonNode);
    const double moonCosInclination = moonCosInclinationMean - moonCosInclinationSwing * cosMoonNode;
    const double moonSinInclination = std::sqrt(1 - moonCosInclination * moonCosInclination);
    const double sinMoonRightAscension = moonRightAscensionFactor * sinMoonNode / moonSinInclination;
    const double cosMoonRightAscension = std::sqrt(1 - sinMoonRightAscension * sinMoonRightAscension);
    const double moonPerigeeLongitude = moonPerigeeAtDay0 + moonPerigeePerDay * day;
    // The Moon's perigee measured from its node on the equator.
    const double fromEquatorNode =
        std::atan2(sinObliquity * sinMoonNode / moonSinInclination,
                   cosMoonRightAscension * cosMoonNode + cosObliquity * sinMoonRightAscension * sinMoonNode);
    const double moonPerigee = moonPerigeeLongitude + fromEquatorNode - moonNode;
    const double moonMeanAnomaly =
        std::fmod(moonLongitudeAtDay0 + moonLongitudePerDay * day - moonPerigeeLongitude, twoPi);
    const double sunMeanAnomaly = std::fmod(sunAnomalyAtDay0 + sunAnomalyPerDay * day, twoPi);

    const double sinNode = std::sin(satellite.raan);
    const double cosNode = std::cos(satellite.raan);
    const BodyGeometry sun{cosSunPerigee, sinSunPerigee, cosObliquity,       sinObliquity,
                           cosNode,       sinNode,       sunPullRadPerMinute};
    const BodyGeometry moon{std::cos(moonPerigee),
                            std::sin(moonPerigee),
                            moonCosInclination,
                            moonSinInclination,
                            cosMoonRightAscension * cosNode + sinMoonRightAscension * sinNode,
                            sinNode * cosMoonRightAscension - cosNode * sinMoonRightAscension,
                            moonPullRadPerMinute};
    const DisturbingFunction sunFunction = disturbingFunction(sun, satellite);
    const DisturbingFunction moonFunction = disturbingFunction(moon, satellite);
    terms.sun = periodicTerms(sunFunction, sunEccentricity, sunMeanMotionRadPerMinute, sunMeanAnomaly,
                              satellite.eccentricity);
    terms.moon = periodicTerms(moonFunction, moonEccentricity, moonMeanMotionRadPerMinute, moonMeanAnomaly,
                               satellite.eccentricity);
    addSecularRates(sunFunction, sunMeanMotionRadPerMinute, satellite, terms);
    addSecularRates(moonFunction, moonMeanMotionRadPerMinute, satellite, terms);

    // Resonance with the Earth's field.
    const double n = satellite.meanMotion;
    const double aOverEarthRadius = std::pow(n / ke, twoThirds);  // the inverse semi-major axis
    ResonanceTerms& resonance = terms.resonance;
    if (n > synchronousLowest && n < synchronousHighest) {
        resonance = synchronousResonance(satellite, aOverEarthRadius);
        resonance.atEpoch.longitude = std::fmod(
            satellite.meanAnomaly + satellite.raan + satellite.argumentOfPerigee - terms.greenwichAtEpoch,
            twoPi);
        resonance.longitudeRateOffset = epoch.meanAnomalyRate + epoch.perigeeRate + epoch.nodeRate -
                                        earthRotationRadPerMinute + terms.meanAnomalyRate +
                                        terms.perigeeRate + terms.nodeRate - n;
    } else if (n >= halfDayLowest && n <= halfDayHighest &&
               satellite.eccentricity >= halfDayLowestEccentricity) {
        resonance = halfDayResonance(satellite, aOverEarthRadius);
        resonance.atEpoch.longitude =
            std::fmod(satellite.meanAnomaly + 2 * satellite.raan - 2 * terms.greenwichAtEpoch, twoPi);
        resonance.longitudeRateOffset = epoch.meanAnomalyRate + terms.meanAnomalyRate +
                                        2 * (epoch.nodeRate + terms.nodeRate - earthRotationRadPerMinute) - n;
    }
    if (resonance.kind != Resonance::none) {
        resonance.perigeeAtEpoch = satellite.argumentOfPerigee;
        resonance.perigeeRate = epoch.perigeeRate;
        resonance.meanMotionAtEpoch = n;
        resonance.atEpoch.minutes = 0;
        resonance.atEpoch.meanMotion = n;
        resonanceRates(resonance, resonance.atEpoch);
    }
    terms.lastStep = resonance.atEpoch;
    return terms;
}

void addDeepSpaceSecular(DeepSpaceTerms& terms, double t, Sgp4MeanElements& elements) {
    elements.eccentricity += terms.eccentricityRate * t;
    elements.inclination += terms.inclinationRate * t;
    elements.argumentOfPerigee += terms.perigeeRate * t;
    elements.raan += terms.nodeRate * t;
    elements.meanAnomaly += terms.meanAnomalyRate * t;

    const ResonanceTerms& resonance = terms.resonance;
    if (resonance.kind == Resonance::none) {
        return;
    }
    // Integrate from the epoch, or on from the last step when it lies between the epoch and t.
    ResonanceStep& step = terms.lastStep;
    if (step.minutes == 0 || t * step.minutes <= 0 || std::fabs(t) < std::fabs(step.minutes)) {
        step = resonance.atEpoch;
    }
    const double stepMinutes = t > 0 ? integratorStepMinutes : -integratorStepMinutes;
    constexpr double halfStepSquared = integratorStepMinutes * integratorStepMinutes / 2;
    while (std::fabs(t - step.minutes) >= integratorStepMinutes) {
        step.longitude += step.longitudeRate * stepMinutes + step.meanMotionRate * halfStepSquared;
        step.meanMotion += step.meanMotionRate * stepMinutes + step.meanMotionAcceleration * halfStepSquared;
        step.minutes += stepMinutes;
        resonanceRates(resonance, step);
    }
    const double sinceStep = t - step.minutes;
    elements.meanMotion = step.meanMotion + step.meanMotionRate * sinceStep +
                          step.meanMotionAcceleration * sinceStep * sinceStep * 0.5;
    const double longitude =
        step.longitude + step.longitudeRate * sinceStep + step.meanMotionRate * sinceStep * sinceStep * 0.5;
    const double greenwich = std::fmod(terms.greenwichAtEpoch + t * earthRotationRadPerMinute, twoPi);
    if (resonance.kind == Resonance::synchronous) {
        elements.meanAnomaly = longitude - elements.raan - elements.argumentOfPerigee + greenwich;
    } else {
        elements.meanAnomaly = longitude - 2 * elements.raan + 2 * greenwich;
    }
}

void addLunarSolarPeriodics(const DeepSpaceTerms& terms, double t, Sgp4MeanElements& elements) {
    double eccentricity = 0;
    double inclination = 0;
    double meanAnomaly = 0;
    double perigee = 0;
    double nodeSinI = 0;
    for (const ThirdBodyTerms* body : {&terms.sun, &terms.moon}) {
        const double anomaly = body->meanAnomalyAtEpoch + body->meanMotionRadPerMinute * t;
        const double f = anomaly + 2 * body->orbitEccentricity * std::sin(anomaly);
        const double sinF = std::sin(f);
        const double f2 = 0.5 * sinF * sinF - 0.25;
        const double f3 = -0.5 * sinF * std::cos(f);
        auto value = [&](const ThirdBodyHarmonic& h) { return h.f2 * f2 + h.f3 * f3 + h.sinF * sinF; };
        eccentricity += value(body->eccentricity);
        inclination += value(body->inclination);
        meanAnomaly += value(body->meanAnomaly);
        perigee += value(body->perigee);
        nodeSinI += value(body->node);
    }

    elements.inclination += inclination;
    elements.eccentricity += eccentricity;
    const double sinI = std::sin(elements.inclination);
    const double cosI = std::cos(elements.inclination);
    if (elements.inclination >= lyddaneInclination) {
        const double node = nodeSinI / sinI;
        elements.argumentOfPerigee += perigee - cosI * node;
        elements.raan += node;
        elements.meanAnomaly += meanAnomaly;
        return;
    }
    // Near the equator: perturb the components sin i sin(node), sin i cos(node) of the orbit
    // normal and the mean longitude, then take node and perigee from them.
    const double sinNode = std::sin(elements.raan);
    const double cosNode = std::cos(elements.raan);
    const double normalY = sinI * sinNode + nodeSinI * cosNode + inclination * cosI * sinNode;
    const double normalX = sinI * cosNode - nodeSinI * sinNode + inclination * cosI * cosNode;
    const double oldNode = std::fmod(elements.raan, twoPi);
    const double longitude = elements.meanAnomaly + elements.argumentOfPerigee + cosI * oldNode +
                             meanAnomaly + perigee - inclination * oldNode * sinI;
    double node = std::atan2(normalY, normalX);
    // atan2 gives -pi..pi; keep the node on the turn of the old one.
    if (std::fabs(oldNode - node) > pi) {
        node += node < oldNode ? twoPi : -twoPi;
    }
    elements.meanAnomaly += meanAnomaly;
    elements.raan = node;
    elements.argumentOfPerigee = longitude - elements.meanAnomaly - cosI * node;
}

}  // namespace station
