#pragma once
// Manual incremental tuning ("T" in manual mode while a satellite with a frequency record is
// chosen): the tuning line on row 24 and its keys.
#include "tracker/tracker_state.hpp"

#include <string>

namespace station {

// Draws the tuning line and starts tuning the downlink; refused for two seconds without a
// frequency record.
void enterTuning(TrackerState& tracker);
// One key while tuning.
void tuningKey(TrackerState& tracker, const std::string& key);
// Moves the base frequencies as the tuning mode says and shows them.
void stepTuning(TrackerState& tracker, double incrementKhz);
// Keeps the tuned frequencies in KELVORIN.FRC; a failure is shown for two seconds.
void saveTuning(TrackerState& tracker);

}  // namespace station
