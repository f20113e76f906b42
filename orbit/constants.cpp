#include "orbit/constants.hpp"

namespace station {

OrbitConstants trackerConstants(const ClockTime& firstReading) {
    OrbitConstants c;
    const double century =
        ((firstReading.year - 2000) + firstReading.month / 12.0 + firstReading.day / 365.0) / 100.0;
    c.siderealRatio = 1.002737909350795 + 5.9006e-11 * century - 5.9e-15 * century * century;
    return c;
}

OrbitConstants schedulerConstants() {
    OrbitConstants c;
    c.variant = OrbitVariant::scheduler;
    c.meanEarthRadiusKm = 6371.0f;
    c.equatorialEarthRadiusKm = schedulerEquatorialRadiusKm;
    c.flattening = schedulerFlattening;
    c.semiMajorAxisFactor = 331.2532905;
    c.perigeeDriftCoefficient = 4.9684f;
    c.nodeDriftCoefficient = -9.9368f;
    c.keplerTolerance = static_cast<float>(1e-7);
    c.siderealRatio = 1 / 0.997269624;
    return c;
}

}  // namespace station
