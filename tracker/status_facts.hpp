#pragma once
// The tracker's facts for its status files, taken from its records.
#include "status/status.hpp"
#include "tracker/tracker_state.hpp"

namespace station {

TrackerFacts trackerFacts(TrackerState& tracker, TrackerActivity activity);

}  // namespace station
