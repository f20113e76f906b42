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
// Which side of the station a pass crosses, by the quadrants of its azimuths at AOS, at LOS and
// at maximum elevation. Overhead: the side cannot be told.
enum class FlipDecision { none, north, south, overhead };
FlipDecision flipDecision(std::int16_t aosQuadrant, std::int16_t losQuadrant, std::int16_t maximumQuadrant);
void decideFlip(TrackerState& s);       // from the pass's three azimuths
void showFlipState(TrackerState& s);    // row 16, column 37; writes KVFLIP.DAT
void loadFlipState(TrackerState& s);    // at start, under the flip file's phase

// Drive.
void driveRotator(TrackerState& s);
void parkRotator(TrackerState& s);
void sendWCommand(TrackerState& s);
void sendAECommands(TrackerState& s);
// Interface 3: rawAzimuth and rawElevation as the one line of ROT.DAT, replaced whole.
void writeRotatorFile(TrackerState& s);

// Calibration ("C" key).
void calibrateRotator(TrackerState& s);

}  // namespace station
