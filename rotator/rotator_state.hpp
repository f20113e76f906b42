#pragma once
#include "console/network.hpp"

#include <cstdint>
#include <string>

namespace station {

// The rotator drive: where the antenna is held and what was last sent.
struct RotatorDrive {
    float azimuthCommand = 0;      // radians, satellite terms (before end-stop guard and flip)
    double elevationCommand = 0;   // radians
    float lastSentAzimuth = 0;     // radians, after guard, limits and flip
    double lastSentElevation = 0;  // radians
    std::int16_t rawAzimuth = 0;   // last output in the interface's units
    std::int16_t rawElevation = 0;
    std::int16_t flipState = 0;    // 0 normal, 1 flipped
    DaemonRefusals daemonRefusals;  // interface 4: commands the rotator daemon refused, told once
    std::string refusalToShow;      // a refusal not shown yet
};

}  // namespace station
