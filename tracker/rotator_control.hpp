#pragma once
// The tracker's side of the rotator: it lends the rotator its records, shows what the rotator
// returns on rows 16 to 18 and on the message line, and reports a file that cannot be written.
#include "rotator/rotator.hpp"
#include "tracker/tracker_state.hpp"

namespace station {

RotatorContext rotatorContext(TrackerState& tracker);

// Drives the antenna after the satellite; rows 17 and 18 show where it was sent.
void driveRotator(TrackerState& tracker);
// Sends the antenna to its park position when parking is on, with "(Parked)" on row 16.
void parkRotator(TrackerState& tracker);
// The flip state of the pass just predicted, on row 16.
void decideFlip(TrackerState& tracker);
// Row 16, column 37; records the state in KVFLIP.DAT.
void showFlipState(TrackerState& tracker);
// A position the rotator daemon refused, on the message line.
void showRotatorRefusal(TrackerState& tracker);
// The calibration dialogue ("C" key); leaves the tracker idle.
void calibrateRotator(TrackerState& tracker);

}  // namespace station
