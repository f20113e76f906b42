#include "orbit/sky_bound.hpp"

#include "orbit/sgp4_constants.hpp"

#include <algorithm>
#include <cmath>

namespace station {

namespace {

constexpr double minutesPerDay = 1440;
// Rounding: the single-precision fields of the scheduler's state and the inverse trigonometry of
// the look angles err by well under a micro-radian. The elevation changes at least as fast as the
// zenith angle near the horizon, so the margin also clears the rounding of the elevation itself.
constexpr double angleMargin = 1e-5;
constexpr double radiusMargin = 1e-6;
// Above the rates the secular equations give: room for the SGP4 model's periodic terms, whose
// rates are below 1 % of the argument of latitude's (a few times J2 over the semi-latus rectum
// squared), and for rounding.
constexpr double rateMargin = 1.05;
// The SGP4 model's short-period terms change the radius by well under 1 %, its long-period
// terms the eccentricity by well under 0.005.
constexpr double sgp4RadiusMargin = 0.01;
constexpr double sgp4EccentricityMargin = 0.005;
constexpr double lowestSgp4MeanEccentricity = -0.001;
constexpr double longestBoundMinutes = 50 * 365.25 * minutesPerDay;

// How much faster than the mean anomaly the true anomaly can run: at perigee.
double keplerFactor(double eccentricity) {
    const double e = std::min(std::fabs(eccentricity), 0.999);
    return (1 + e) * (1 + e) / std::pow(1 - e * e, 1.5);
}

// The angles that bound the sky: below the plane at `planeDistance` km from the Earth's centre
// along the zenith for an orbit radius up to rMax; at least `horizon` above it for a radius of at
// least rMin, the station lying `offAxis` km off the zenith's line through the centre.
void setAngles(SkyBound& bound, double planeDistance, double offAxis, double horizon, double rMin, double rMax) {
    bound.belowFrom = std::acos(std::min(1.0, planeDistance / rMax)) + angleMargin;
    const double above = (planeDistance * std::cos(horizon) + std::sin(horizon) * offAxis) / rMin;
    bound.aboveWithin = above < 1 ? std::acos(above) - horizon - angleMargin : -1;
}

SkyBound builtInBound(const OrbitConstants& constants, const SatelliteOrbit& orbit, const ObserverSite& site,
                      double horizon, int year, double fromDay, double untilDay) {
    SkyBound bound;
    const KeplerianElementSet& elements = orbit.elements;
    const double t0 = daysSinceEpoch(elements, year, fromDay);
    const double t1 = daysSinceEpoch(elements, year, untilDay);
    const double n0 = elements.meanMotion;
    const double drift = elements.meanMotionDrift;
    // Revolutions a day of the period, and of the anomaly's period (the drift counted twice):
    // linear in time, so their extremes lie at the ends of the span.
    const double periodLow = std::min(n0 + drift * t0, n0 + drift * t1);
    const double periodHigh = std::max(n0 + drift * t0, n0 + drift * t1);
    const double anomalyHigh = std::max(std::fabs(n0 + 2 * drift * t0), std::fabs(n0 + 2 * drift * t1));
    const double anomalyLow = std::min(n0 + 2 * drift * t0, n0 + 2 * drift * t1);
    if (!(periodLow > 0 && anomalyLow > 0) || !std::isfinite(periodHigh + anomalyHigh)) {
        return bound;
    }
    const double e = elements.eccentricity;
    const double twoPi = 2 * constants.pi;
    // The revolutions since perigee run at the anomaly's rate; the tracker scales them by the
    // ratio of the two periods, which moves too, and restarts them each revolution with a jump of
    // the ratio's distance from 1.
    double anomalyRate = twoPi * anomalyHigh;
    double jump = 0;
    if (!constants.scheduler()) {
        anomalyRate = twoPi * (std::max(anomalyHigh * anomalyHigh / periodLow, anomalyHigh) +
                               std::fabs(drift) * std::fabs(n0) / (periodLow * periodLow));
        jump = twoPi * std::fabs(drift) * std::max(std::fabs(t0), std::fabs(t1)) / periodLow;
    }
    const double aLow = constants.semiMajorAxisFactor * std::pow(minutesPerDay / periodHigh, 2.0 / 3.0);
    const double aHigh = constants.semiMajorAxisFactor * std::pow(minutesPerDay / periodLow, 2.0 / 3.0);
    const double oneMinusE2 = 1 - e * e;
    const double q = std::pow(constants.equatorialEarthRadiusKm / aLow, 3.5);
    const double cosI = std::cos(elements.inclination);
    const double perigeeRate = std::fabs(constants.perigeeDriftCoefficient * q * (5 * cosI * cosI - 1)) /
                               (oneMinusE2 * oneMinusE2) * constants.radiansPerDegree;
    const double nodeRate = std::fabs(q * constants.radiansPerDegree * cosI * constants.nodeDriftCoefficient) /
                            (oneMinusE2 * oneMinusE2);
    const double earthTurn = twoPi * std::max(constants.siderealRatio, 1 / 0.997269624);
    const double factor = keplerFactor(e);
    bound.turnPerDay = rateMargin * (anomalyRate * factor + perigeeRate + nodeRate + earthTurn);

    const double stationRadius = earthRadiusAt(
        constants, static_cast<float>(static_cast<double>(site.position.latitude) * constants.degreesPerRadian));
    const double horizonRadius = constants.scheduler() ? constants.meanEarthRadiusKm : stationRadius;
    const double rMax = aHigh * (1 + e) * (1 + radiusMargin);
    const double rMin = aLow * (1 - e) * (1 - radiusMargin);
    setAngles(bound, horizonRadius, 0, horizon, rMin, rMax);
    bound.belowFrom += factor * jump;
    bound.aboveWithin -= factor * jump;
    bound.usable = std::isfinite(bound.turnPerDay) && bound.turnPerDay > 0;
    return bound;
}

SkyBound sgp4Bound(const SatelliteOrbit& orbit, const ObserverSite& site, double horizon, int year, double fromDay,
                   double untilDay) {
    SkyBound bound;
    const Sgp4Orbit& model = orbit.sgp4;
    if (model.deepSpace) {
        return bound;
    }
    const double m0 = minutesSinceEpoch(model, year, fromDay);
    const double m1 = minutesSinceEpoch(model, year, untilDay);
    const double t = std::max(std::fabs(m0), std::fabs(m1));
    if (!(t < longestBoundMinutes)) {
        return bound;
    }
    const Sgp4DragTerms& drag = model.drag;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double t4 = t3 * t;
    // The drag polynomials at their largest over the span, whatever the signs.
    double axisChange = std::fabs(drag.c1) * t;
    double eccentricityChange = std::fabs(model.bStar * drag.c4) * t;
    double longitudeRate = 2 * std::fabs(drag.longitudeT2) * t;
    double anomalyDriftRate = 0;
    if (!drag.simplified) {
        axisChange += std::fabs(drag.d2) * t2 + std::fabs(drag.d3) * t3 + std::fabs(drag.d4) * t4;
        eccentricityChange += 2 * std::fabs(model.bStar * drag.c5);
        longitudeRate += 3 * std::fabs(drag.longitudeT3) * t2 + 4 * std::fabs(drag.longitudeT4) * t3 +
                         5 * std::fabs(drag.longitudeT5) * t4;
        const double eta = std::fabs(drag.eta);
        anomalyDriftRate = std::fabs(drag.perigeeCoefficient) + std::fabs(drag.anomalyCoefficient) * 3 *
                                                                     (1 + eta) * (1 + eta) * eta *
                                                                     std::fabs(model.meanAnomalyRate);
    }
    const double e0 = model.epochElements.eccentricity;
    const double eHigh = e0 + eccentricityChange + sgp4EccentricityMargin;
    if (!(axisChange < 0.5) || !(e0 - eccentricityChange > lowestSgp4MeanEccentricity) || !(eHigh < 0.99)) {
        return bound;
    }
    const double aLow = model.semiMajorAxis * (1 - axisChange) * (1 - axisChange);
    const double aHigh = model.semiMajorAxis * (1 + axisChange) * (1 + axisChange);
    const double rMin = aLow * (1 - eHigh) * (1 - sgp4RadiusMargin) * sgp4::earthRadiusKm;
    const double rMax = aHigh * (1 + eHigh) * (1 + sgp4RadiusMargin) * sgp4::earthRadiusKm;
    // Below one Earth radius the model reports a decay: not within the span.
    if (!(rMin > sgp4::earthRadiusKm)) {
        return bound;
    }
    const double faster = std::pow(model.semiMajorAxis / aLow, 1.5);
    const double anomalyRate = std::fabs(model.meanAnomalyRate) * faster + anomalyDriftRate +
                               std::fabs(model.epochElements.meanMotion) * longitudeRate;
    const double perigeeRate = std::fabs(model.perigeeRate) * faster + anomalyDriftRate;
    const double nodeRate = std::fabs(model.nodeRate) * faster + 2 * std::fabs(drag.nodeCoefficient) * t;
    const double perMinute = rateMargin * (anomalyRate * keplerFactor(eHigh) + perigeeRate + nodeRate) +
                             sgp4::earthRotationRadPerMinute * (1 + radiusMargin);
    bound.turnPerDay = perMinute * minutesPerDay;

    const GeodeticStation& station = site.geodetic;
    bound.zenith = {station.cosLatitude * station.cosLongitude, station.cosLatitude * station.sinLongitude,
                    station.sinLatitude};
    const Vector3& s = station.positionKm;
    const double along = bound.zenith.x * s.x + bound.zenith.y * s.y + bound.zenith.z * s.z;
    const Vector3 off{s.x - along * bound.zenith.x, s.y - along * bound.zenith.y, s.z - along * bound.zenith.z};
    const double offAxis = std::sqrt(off.x * off.x + off.y * off.y + off.z * off.z);
    setAngles(bound, along, offAxis, horizon, rMin, rMax);
    bound.usable = std::isfinite(bound.turnPerDay) && bound.turnPerDay > 0;
    return bound;
}

}  // namespace

SkyBound skyBound(const OrbitConstants& constants, const SatelliteOrbit& orbit, const ObserverSite& site,
                  double horizon, int year, double fromDay, double untilDay) {
    if (!orbit.problem.empty() || !(horizon >= 0 && horizon < constants.pi / 2) || !(fromDay <= untilDay)) {
        return {};
    }
    SkyBound bound = orbit.model == OrbitModel::builtIn
                         ? builtInBound(constants, orbit, site, horizon, year, fromDay, untilDay)
                         : sgp4Bound(orbit, site, horizon, year, fromDay, untilDay);
    bound.fromDay = fromDay;
    bound.untilDay = untilDay;
    return bound;
}

double zenithAngle(const SatelliteOrbit& orbit, const ObserverSite& site, const SkyBound& bound,
                   const SatelliteState& state, const Vector3& earthFixedKm) {
    // The plain arc cosine: the guarded one of the look angles snaps to 0 and pi within a quarter
    // of a degree of them, more than the margin.
    auto angle = [](double cosine) { return std::acos(std::clamp(cosine, -1.0, 1.0)); };
    if (orbit.model == OrbitModel::builtIn) {
        const double stationLatitude = site.position.latitude;
        return angle(std::sin(stationLatitude) * std::sin(state.latitude) +
                     std::cos(stationLatitude) * std::cos(state.latitude) *
                         std::cos(state.longitude - site.position.longitude));
    }
    const Vector3& p = earthFixedKm;
    const double length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    return angle((p.x * bound.zenith.x + p.y * bound.zenith.y + p.z * bound.zenith.z) / length);
}

}  // namespace station
