#include "orbit/sgp4.hpp"

#include "orbit/sgp4_constants.hpp"

#include <cmath>

namespace station {

using namespace sgp4;

namespace {

constexpr double k2 = 0.5 * j2;  // the theory's k2 = J2 aE^2 / 2
constexpr double a30 = -j3;      // the theory's A3,0 = -J3 aE^3
constexpr double deepSpacePeriodMinutes = 225;
constexpr double simplifiedDragPerigeeKm = 220;
// The atmosphere's density function: s = 78 km and q0 = 120 km above the surface, lowered for
// orbits whose perigee lies under 156 km (and held at 20 km under 98 km).
constexpr double densityLowKm = 78;
constexpr double densityHighKm = 120;
constexpr double lowPerigeeKm = 156;
constexpr double veryLowPerigeeKm = 98;
constexpr double veryLowDensityKm = 20;
// Below this eccentricity the C3 and mean anomaly drag terms are left out (they divide by e0).
constexpr double smallEccentricity = 1e-4;
constexpr double smallestMeanEccentricity = 1e-6;
constexpr double lowestMeanEccentricity = -0.001;
// Keeps the long-period coefficient finite for an inclination of exactly 180 degrees.
constexpr double smallestOnePlusCosI = 1.5e-12;
constexpr int keplerIterationLimit = 10;
constexpr double keplerTolerance = 1e-12;
// A Newton step larger than this is cut, so very eccentric orbits do not diverge.
constexpr double largestKeplerStep = 0.95;

constexpr double longestPropagationMinutes = 100 * 365.25 * minutesPerDay;

constexpr double julianDateOf1900January0 = 2415019.5;
constexpr double julianDateOfJ2000 = 2451545.0;
constexpr double julianDateOf1950January0 = 2433281.5;
constexpr double daysPerJulianCentury = 36525;

// 0 .. 2pi for angles of either sign.
double positiveAngle(double angle) {
    angle = std::fmod(angle, twoPi);
    if (angle < 0) {
        angle += twoPi;
    }
    return angle < twoPi ? angle : 0;  // a tiny negative angle rounds up to 2pi
}

// Days from 1900 January 0.0 to January 0.0 of `year`, every fourth year a leap year.
int daysToYearStart(int year) {
    const int fromLeapBase = year - 1901;
    const int leapDays = fromLeapBase >= 0 ? fromLeapBase / 4 : (fromLeapBase - 3) / 4;
    return 365 * (year - 1900) + leapDays;
}

Sgp4InclinationTerms inclinationTerms(double inclination) {
    Sgp4InclinationTerms terms;
    terms.sinInclination = std::sin(inclination);
    terms.cosInclination = std::cos(inclination);
    double onePlusCosI = 1 + terms.cosInclination;
    if (std::fabs(onePlusCosI) < smallestOnePlusCosI) {
        onePlusCosI = smallestOnePlusCosI;
    }
    terms.longPeriodAy = a30 * terms.sinInclination / (4 * k2);
    terms.longPeriodLongitude =
        a30 * terms.sinInclination / (8 * k2) * (3 + 5 * terms.cosInclination) / onePlusCosI;
    return terms;
}

// The drag terms of the near-Earth model (`xi` = 1/(a - s), `qs4` = (q0 - s)^4).
Sgp4DragTerms dragTerms(const Sgp4Orbit& orbit, double xi, double qs4, double s, double perigeeRadius) {
    const Sgp4MeanElements& epoch = orbit.epochElements;
    const double a = orbit.semiMajorAxis;
    const double e = epoch.eccentricity;
    const double n = epoch.meanMotion;
    const double theta2 = orbit.periodic.cosInclination * orbit.periodic.cosInclination;
    const double betaSquared = 1 - e * e;
    const double eta = a * e * xi;
    const double etaSquared = eta * eta;
    const double eEta = e * eta;
    const double psiSquared = std::fabs(1 - etaSquared);
    const double coefficient = qs4 * std::pow(xi, 4);
    const double coefficient1 = coefficient / std::pow(psiSquared, 3.5);
    const double threeTheta2MinusOne = 3 * theta2 - 1;

    Sgp4DragTerms drag;
    drag.simplified = perigeeRadius < 1 + simplifiedDragPerigeeKm / earthRadiusKm;
    drag.eta = eta;
    const double c2 =
        coefficient1 * n *
        (a * (1 + 1.5 * etaSquared + eEta * (4 + etaSquared)) +
         0.375 * j2 * xi / psiSquared * threeTheta2MinusOne * (8 + 3 * etaSquared * (8 + etaSquared)));
    drag.c1 = orbit.bStar * c2;
    const double c3 = e > smallEccentricity
                          ? -2 * coefficient * xi * j3OverJ2 * n * orbit.periodic.sinInclination / e
                          : 0.0;
    drag.c4 = 2 * n * coefficient1 * a * betaSquared *
              (eta * (2 + 0.5 * etaSquared) + e * (0.5 + 2 * etaSquared) -
               j2 * xi / (a * psiSquared) *
                   (-3 * threeTheta2MinusOne * (1 - 2 * eEta + etaSquared * (1.5 - 0.5 * eEta)) +
                    0.75 * (1 - theta2) * (2 * etaSquared - eEta * (1 + etaSquared)) *
                        std::cos(2 * epoch.argumentOfPerigee)));
    drag.c5 = 2 * coefficient1 * a * betaSquared * (1 + 2.75 * (etaSquared + eEta) + eEta * etaSquared);
    drag.perigeeCoefficient = orbit.bStar * c3 * std::cos(epoch.argumentOfPerigee);
    drag.anomalyCoefficient = e > smallEccentricity ? -twoThirds * coefficient * orbit.bStar / eEta : 0.0;
    const double nodeJ2Rate =
        -1.5 * j2 / (a * a * betaSquared * betaSquared) * n * orbit.periodic.cosInclination;
    drag.nodeCoefficient = 3.5 * betaSquared * nodeJ2Rate * drag.c1;
    drag.etaCosAtEpochCubed = std::pow(1 + eta * std::cos(epoch.meanAnomaly), 3);
    drag.sinMeanAnomalyAtEpoch = std::sin(epoch.meanAnomaly);
    drag.longitudeT2 = 1.5 * drag.c1;
    if (!drag.simplified) {
        const double c1Squared = drag.c1 * drag.c1;
        drag.d2 = 4 * a * xi * c1Squared;
        drag.d3 = 4.0 / 3.0 * a * xi * xi * (17 * a + s) * c1Squared * drag.c1;
        drag.d4 = 2.0 / 3.0 * a * a * xi * xi * xi * (221 * a + 31 * s) * c1Squared * c1Squared;
        drag.longitudeT3 = drag.d2 + 2 * c1Squared;
        drag.longitudeT4 = 0.25 * (3 * drag.d3 + drag.c1 * (12 * drag.d2 + 10 * c1Squared));
        drag.longitudeT5 = 0.2 * (3 * drag.d4 + 12 * drag.c1 * drag.d3 + 6 * drag.d2 * drag.d2 +
                                  15 * c1Squared * (2 * drag.d2 + c1Squared));
    }
    return drag;
}

}  // namespace

const char* sgp4ErrorText(Sgp4Error error) {
    switch (error) {
        case Sgp4Error::none:
            return "";
        case Sgp4Error::meanElementsOutOfRange:
            return "eccentricity out of range";
        case Sgp4Error::meanMotionNotPositive:
            return "mean motion not positive";
        case Sgp4Error::perturbedEccentricityOutOfRange:
            return "perturbed eccentricity out of range";
        case Sgp4Error::semiLatusRectumNegative:
            return "semi-latus rectum not positive";
        case Sgp4Error::decayed:
            return "satellite has decayed";
        case Sgp4Error::tooFarFromEpoch:
            return "epoch a century or more away";
    }
    return "";
}

double julianDateOf(int year, double dayNumber) {
    return julianDateOf1900January0 + daysToYearStart(year) + dayNumber;
}

double minutesSinceEpoch(int epochYear, double epochDay, int year, double dayNumber) {
    const double wholeDays = daysToYearStart(year) - daysToYearStart(epochYear);
    return (wholeDays + (dayNumber - epochDay)) * minutesPerDay;
}

double greenwichMeanSiderealTime(double julianDate) {
    const double centuries = (julianDate - julianDateOfJ2000) / daysPerJulianCentury;
    const double seconds = 67310.54841 + (876600.0 * 3600 + 8640184.812866) * centuries +
                           0.093104 * centuries * centuries - 6.2e-6 * centuries * centuries * centuries;
    // 86400 seconds of sidereal time to the turn.
    return positiveAngle(seconds * (twoPi / 86400));
}

Sgp4Setup initialiseSgp4(const KeplerianElementSet& elements) {
    Sgp4Setup setup;
    Sgp4Orbit& orbit = setup.orbit;
    orbit.epochYear = elements.epochYear;
    orbit.epochDay = elements.epochDay;
    orbit.bStar = elements.bStar;
    Sgp4MeanElements& epoch = orbit.epochElements;
    epoch.eccentricity = elements.eccentricity;
    epoch.inclination = elements.inclination;
    epoch.raan = elements.raan;
    epoch.argumentOfPerigee = elements.argumentOfPerigee;
    epoch.meanAnomaly = elements.meanAnomaly;
    const double kozaiMeanMotion = elements.meanMotion * twoPi / minutesPerDay;
    if (!(kozaiMeanMotion > 0) || !std::isfinite(kozaiMeanMotion)) {
        setup.error = Sgp4Error::meanMotionNotPositive;
        return setup;
    }
    const double e = epoch.eccentricity;
    if (!(e >= 0 && e < 1)) {
        setup.error = Sgp4Error::meanElementsOutOfRange;
        return setup;
    }
    orbit.periodic = inclinationTerms(epoch.inclination);
    const double theta2 = orbit.periodic.cosInclination * orbit.periodic.cosInclination;
    const double betaSquared = 1 - e * e;
    const double beta = std::sqrt(betaSquared);

    // The element set's mean motion is Kozai's; the theory works with Brouwer's, recovered here
    // with the semi-major axis.
    const double a1 = std::pow(ke / kozaiMeanMotion, twoThirds);
    const double delta = 0.75 * j2 * (3 * theta2 - 1) / (beta * betaSquared);
    const double delta1 = delta / (a1 * a1);
    const double a0 = a1 * (1 - delta1 * delta1 - delta1 * (1.0 / 3.0 + 134 * delta1 * delta1 / 81));
    const double delta0 = delta / (a0 * a0);
    epoch.meanMotion = kozaiMeanMotion / (1 + delta0);
    orbit.semiMajorAxis = std::pow(ke / epoch.meanMotion, twoThirds);
    const double a = orbit.semiMajorAxis;
    const double n = epoch.meanMotion;

    // The atmosphere's density parameters, lowered for a low perigee.
    const double perigeeRadius = a * (1 - e);
    const double perigeeKm = (perigeeRadius - 1) * earthRadiusKm;
    double densityKm = densityLowKm;
    if (perigeeKm < lowPerigeeKm) {
        densityKm = perigeeKm < veryLowPerigeeKm ? veryLowDensityKm : perigeeKm - densityLowKm;
    }
    const double qs4 = std::pow((densityHighKm - densityKm) / earthRadiusKm, 4);
    const double s = densityKm / earthRadiusKm + 1;
    const double xi = 1 / (a - s);

    // Secular rates of the Earth's zonal harmonics.
    const double p = a * betaSquared;
    const double theta4 = theta2 * theta2;
    const double j2Term = 1.5 * j2 / (p * p) * n;
    const double j2SquaredTerm = 0.5 * j2Term * j2 / (p * p);
    const double j4Term = -0.46875 * j4 / (p * p * p * p) * n;
    orbit.meanAnomalyRate = n + 0.5 * j2Term * beta * (3 * theta2 - 1) +
                            0.0625 * j2SquaredTerm * beta * (13 - 78 * theta2 + 137 * theta4);
    orbit.perigeeRate = -0.5 * j2Term * (1 - 5 * theta2) +
                        0.0625 * j2SquaredTerm * (7 - 114 * theta2 + 395 * theta4) +
                        j4Term * (3 - 36 * theta2 + 49 * theta4);
    orbit.nodeRate = (-j2Term + 0.5 * j2SquaredTerm * (4 - 19 * theta2) + 2 * j4Term * (3 - 7 * theta2)) *
                     orbit.periodic.cosInclination;

    orbit.drag = dragTerms(orbit, xi, qs4, s, perigeeRadius);

    if (twoPi / n >= deepSpacePeriodMinutes) {
        orbit.deepSpace = true;
        // Deep space keeps only the C1 drag terms.
        orbit.drag.simplified = true;
        orbit.drag.d2 = orbit.drag.d3 = orbit.drag.d4 = 0;
        orbit.drag.longitudeT3 = orbit.drag.longitudeT4 = orbit.drag.longitudeT5 = 0;
        DeepSpaceEpoch deepEpoch;
        const double epochJulianDate = julianDateOf(elements.epochYear, elements.epochDay);
        deepEpoch.daysSince1950 = epochJulianDate - julianDateOf1950January0;
        deepEpoch.greenwichAtEpoch = greenwichMeanSiderealTime(epochJulianDate);
        deepEpoch.elements = epoch;
        deepEpoch.meanAnomalyRate = orbit.meanAnomalyRate;
        deepEpoch.perigeeRate = orbit.perigeeRate;
        deepEpoch.nodeRate = orbit.nodeRate;
        orbit.deep = initialiseDeepSpace(deepEpoch);
    }

    // The model's own checks at the epoch.
    setup.error = propagateSgp4(orbit, 0).error;
    return setup;
}

Sgp4State propagateSgp4(Sgp4Orbit& orbit, double t) {
    Sgp4State state;
    if (!(std::fabs(t) < longestPropagationMinutes)) {
        state.error = Sgp4Error::tooFarFromEpoch;
        return state;
    }
    const Sgp4MeanElements& epoch = orbit.epochElements;
    const Sgp4DragTerms& drag = orbit.drag;

    // Secular effects of gravity and drag.
    Sgp4MeanElements mean;
    mean.eccentricity = epoch.eccentricity;
    mean.inclination = epoch.inclination;
    mean.meanMotion = epoch.meanMotion;
    const double anomalyWithoutDrag = epoch.meanAnomaly + orbit.meanAnomalyRate * t;
    mean.meanAnomaly = anomalyWithoutDrag;
    mean.argumentOfPerigee = epoch.argumentOfPerigee + orbit.perigeeRate * t;
    const double t2 = t * t;
    mean.raan = epoch.raan + orbit.nodeRate * t + drag.nodeCoefficient * t2;
    double axisFactor = 1 - drag.c1 * t;
    double eccentricityDecay = orbit.bStar * drag.c4 * t;
    double longitudeDrag = drag.longitudeT2 * t2;
    if (!drag.simplified) {
        const double etaCos = 1 + drag.eta * std::cos(anomalyWithoutDrag);
        const double anomalyDrift =
            drag.perigeeCoefficient * t +
            drag.anomalyCoefficient * (etaCos * etaCos * etaCos - drag.etaCosAtEpochCubed);
        mean.meanAnomaly += anomalyDrift;
        mean.argumentOfPerigee -= anomalyDrift;
        const double t3 = t2 * t;
        const double t4 = t3 * t;
        axisFactor -= drag.d2 * t2 + drag.d3 * t3 + drag.d4 * t4;
        eccentricityDecay +=
            orbit.bStar * drag.c5 * (std::sin(mean.meanAnomaly) - drag.sinMeanAnomalyAtEpoch);
        longitudeDrag += drag.longitudeT3 * t3 + t4 * (drag.longitudeT4 + t * drag.longitudeT5);
    }

    double a = orbit.semiMajorAxis;
    if (orbit.deepSpace) {
        addDeepSpaceSecular(orbit.deep, t, mean);
        if (!(mean.meanMotion > 0)) {
            state.error = Sgp4Error::meanMotionNotPositive;
            return state;
        }
        a = std::pow(ke / mean.meanMotion, twoThirds);
    }
    a *= axisFactor * axisFactor;
    const double n = ke / (a * std::sqrt(a));
    mean.eccentricity -= eccentricityDecay;
    // Written so that a value that is not a number fails the checks too.
    if (!(mean.eccentricity < 1 && mean.eccentricity >= lowestMeanEccentricity)) {
        state.error = Sgp4Error::meanElementsOutOfRange;
        return state;
    }
    if (mean.eccentricity < smallestMeanEccentricity) {
        mean.eccentricity = smallestMeanEccentricity;
    }
    mean.meanAnomaly += epoch.meanMotion * longitudeDrag;
    const double meanLongitude = std::fmod(mean.meanAnomaly + mean.argumentOfPerigee + mean.raan, twoPi);
    mean.raan = std::fmod(mean.raan, twoPi);
    mean.argumentOfPerigee = std::fmod(mean.argumentOfPerigee, twoPi);
    mean.meanAnomaly = std::fmod(meanLongitude - mean.argumentOfPerigee - mean.raan, twoPi);

    Sgp4InclinationTerms periodic = orbit.periodic;
    if (orbit.deepSpace) {
        addLunarSolarPeriodics(orbit.deep, t, mean);
        if (mean.inclination < 0) {
            // Through the pole of the equator: the same orbit with the node on the other side.
            mean.inclination = -mean.inclination;
            mean.raan += pi;
            mean.argumentOfPerigee -= pi;
        }
        if (!(mean.eccentricity >= 0 && mean.eccentricity <= 1)) {
            state.error = Sgp4Error::perturbedEccentricityOutOfRange;
            return state;
        }
        periodic = inclinationTerms(mean.inclination);
    }
    const double sinI = periodic.sinInclination;
    const double cosI = periodic.cosInclination;
    state.meanAnomaly = positiveAngle(mean.meanAnomaly);

    // Long-period periodics, in the components of the eccentricity vector.
    const double e = mean.eccentricity;
    const double axN = e * std::cos(mean.argumentOfPerigee);
    const double overP = 1 / (a * (1 - e * e));
    const double ayN = e * std::sin(mean.argumentOfPerigee) + overP * periodic.longPeriodAy;
    const double longitude =
        mean.meanAnomaly + mean.argumentOfPerigee + mean.raan + overP * periodic.longPeriodLongitude * axN;

    // Kepler's equation for E + w.
    const double u = std::fmod(longitude - mean.raan, twoPi);
    double eccentricPlusPerigee = u;
    double sinEw = 0;
    double cosEw = 1;
    double step = 1;
    for (int i = 0; i < keplerIterationLimit && std::fabs(step) >= keplerTolerance; ++i) {
        sinEw = std::sin(eccentricPlusPerigee);
        cosEw = std::cos(eccentricPlusPerigee);
        step = (u - ayN * cosEw + axN * sinEw - eccentricPlusPerigee) / (1 - cosEw * axN - sinEw * ayN);
        if (std::fabs(step) >= largestKeplerStep) {
            step = step > 0 ? largestKeplerStep : -largestKeplerStep;
        }
        eccentricPlusPerigee += step;
    }

    // Short-period periodics.
    const double eCosE = axN * cosEw + ayN * sinEw;
    const double eSinE = axN * sinEw - ayN * cosEw;
    const double eL2 = axN * axN + ayN * ayN;
    const double pL = a * (1 - eL2);
    if (!(pL >= 0)) {
        state.error = Sgp4Error::semiLatusRectumNegative;
        return state;
    }
    const double r = a * (1 - eCosE);
    const double radialVelocity = ke * std::sqrt(a) * eSinE / r;
    const double transverseVelocity = ke * std::sqrt(pL) / r;
    const double betaL = std::sqrt(1 - eL2);
    const double eSinEOverOnePlusBeta = eSinE / (1 + betaL);
    const double sinU = a / r * (sinEw - ayN - axN * eSinEOverOnePlusBeta);
    const double cosU = a / r * (cosEw - axN + ayN * eSinEOverOnePlusBeta);
    const double argumentOfLatitude = std::atan2(sinU, cosU);
    const double sin2u = 2 * cosU * sinU;
    const double cos2u = 1 - 2 * sinU * sinU;
    const double k2OverP = 0.5 * j2 / pL;
    const double k2OverP2 = k2OverP / pL;
    const double theta2 = cosI * cosI;
    const double threeTheta2MinusOne = 3 * theta2 - 1;
    const double oneMinusTheta2 = 1 - theta2;

    const double radius =
        r * (1 - 1.5 * k2OverP2 * betaL * threeTheta2MinusOne) + 0.5 * k2OverP * oneMinusTheta2 * cos2u;
    if (!(radius >= 1)) {
        state.error = Sgp4Error::decayed;
        return state;
    }
    const double uk = argumentOfLatitude - 0.25 * k2OverP2 * (7 * theta2 - 1) * sin2u;
    const double nodeK = mean.raan + 1.5 * k2OverP2 * cosI * sin2u;
    const double inclinationK = mean.inclination + 1.5 * k2OverP2 * cosI * sinI * cos2u;
    const double radialVelocityK = radialVelocity - n * k2OverP * oneMinusTheta2 * sin2u;
    const double transverseVelocityK =
        transverseVelocity + n * k2OverP * (oneMinusTheta2 * cos2u + 1.5 * threeTheta2MinusOne);

    // Orientation: U towards the satellite, V along its motion in the orbit plane.
    const double sinUk = std::sin(uk);
    const double cosUk = std::cos(uk);
    const double sinNode = std::sin(nodeK);
    const double cosNode = std::cos(nodeK);
    const double sinIk = std::sin(inclinationK);
    const double cosIk = std::cos(inclinationK);
    const double mx = -sinNode * cosIk;
    const double my = cosNode * cosIk;
    const Vector3 towards{mx * sinUk + cosNode * cosUk, my * sinUk + sinNode * cosUk, sinIk * sinUk};
    const Vector3 along{mx * cosUk - cosNode * sinUk, my * cosUk - sinNode * sinUk, sinIk * cosUk};

    const double km = radius * earthRadiusKm;
    state.positionKm = {km * towards.x, km * towards.y, km * towards.z};
    const double radialKmPerS = radialVelocityK * kmPerSecondPerRadiusPerMinute;
    const double transverseKmPerS = transverseVelocityK * kmPerSecondPerRadiusPerMinute;
    state.velocityKmPerSecond = {radialKmPerS * towards.x + transverseKmPerS * along.x,
                                 radialKmPerS * towards.y + transverseKmPerS * along.y,
                                 radialKmPerS * towards.z + transverseKmPerS * along.z};
    return state;
}

}  // namespace station
