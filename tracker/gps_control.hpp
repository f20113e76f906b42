#pragma once
// The tracker's side of the GPS receiver: the read on the message line, the position it brings
// made the station's, and the sentence recorded.
#include "gps/gps.hpp"
#include "tracker/tracker_state.hpp"

namespace station {

// Reads the receiver when it can be read; reports "Reading GPS...  OK!" or "Reading GPS...
// FAILED!" on the message line for a second. With `useGpsPosition` 1 the position read becomes
// the station's and its sentence is recorded in KELVORIN.GPS.
void readGpsPosition(TrackerState& tracker);

}  // namespace station
