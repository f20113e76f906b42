#pragma once
// Rotator control: flip decision, step drive with end-stop guard, the four interfaces, park and
// calibration.
#include "tracker/tracker_state.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace station {

// Flip decision.
std::int16_t azimuthQuadrant(const OrbitConstants& constants, float azimuth);
void decideFlip(TrackerState& s);       // from the pass's three azimuths
void showFlipState(TrackerState& s);    // row 16, column 37; writes KVFLIP.DAT
void loadFlipState(TrackerState& s);    // at start, under error phase 11

// Drive.
void driveRotator(TrackerState& s);
void parkRotator(TrackerState& s);
void sendWCommand(TrackerState& s);
void sendAECommands(TrackerState& s);

// Calibration ("C" key).
void calibrateRotator(TrackerState& s);

}  // namespace station
