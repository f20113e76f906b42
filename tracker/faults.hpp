#pragma once
// Faults the tracker rides out without stopping: device links that fail and come back, station
// files that cannot be written. Each is told once on the message line, and so is its end.
#include "tracker/tracker_state.hpp"

#include <optional>
#include <string_view>

namespace station {

// The step of the rotator, radio and GPS links at the clock reading in `tracker.clock`: reports a lost
// or restored link; a restored one is sent what it missed (the rotator its position, the radio
// of a pass being tracked its setup and both frequencies). Cheap while nothing is due.
void serviceLinks(TrackerState& tracker);

// How a write of a station file went (nothing when none was made): the first failure of a run
// of them is reported ("Could not write ROT.DAT (Read-only file system). Retrying at next
// change."), and so is the first write that works again ("ROT.DAT written again.").
void reportWrite(TrackerState& tracker, std::string_view fileName, const std::optional<WriteResult>& result);

}  // namespace station
