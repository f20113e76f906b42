#pragma once
// The station position from NMEA sentences of a GPS receiver.
#include "tracker/tracker_state.hpp"

namespace station {

void readGpsSentence(TrackerState& s);
void readGpsPosition(TrackerState& s);

}  // namespace station
