#pragma once
// The tracker's side of the radio: it lends the radio its records, shows the corrected
// frequencies on row 20 and reports a radio.dat that cannot be written.
#include "radio/radio.hpp"
#include "tracker/tracker_state.hpp"

namespace station {

RadioContext radioContext(TrackerState& tracker);

// At the start of tracking.
void setupRadio(TrackerState& tracker);
// Once a second while tracking: correct for the satellite's range rate, show, send.
void updateDoppler(TrackerState& tracker);
// At the end of a pass.
void shutdownRadio(TrackerState& tracker);

}  // namespace station
