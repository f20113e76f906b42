#pragma once
// The settings the rotator's own tests and the tracker's rotator rows start from.
#include "config/station.hpp"
#include "orbit/constants.hpp"
#include "orbit/pass.hpp"

namespace rotatortest {

// A rotator on port 1 at 9600 baud with its stop at north, flipping allowed.
inline void rotatorOnPortOne(station::Station& station) {
    station.rotatorPort = 1;
    station.rotatorBaud = 9600;
    station.azimuthStopNorth = 1;
    station.flipEnabled = 1;
}

// Interface 1 parking at azimuth 180, elevation 120 (over the top), with a tracking step of 10.
inline void parkOverTheTop(station::Station& station, const station::OrbitConstants& constants) {
    station.rotatorInterface = station::RotatorInterface::wText;
    station.parkEnabled = 1;
    station.parkAzimuth = static_cast<float>(180 * constants.radiansPerDegree);
    station.parkElevation = 120 * constants.radiansPerDegree;
    station.trackingStep = static_cast<float>(10 * constants.radiansPerDegree);
}

// The azimuths (degrees) of a pass at AOS, at its maximum and at LOS.
inline void passAzimuths(station::PassPrediction& pass, const station::OrbitConstants& constants, double aos,
                         double maximum, double los) {
    pass.azimuthAtAos = static_cast<float>(aos * constants.radiansPerDegree);
    pass.azimuthAtMaximum = static_cast<float>(maximum * constants.radiansPerDegree);
    pass.azimuthAtLos = static_cast<float>(los * constants.radiansPerDegree);
}

}  // namespace rotatortest
