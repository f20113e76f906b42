#pragma once
// The tracker's fixed screen: frame, labels, command box and the satellite-value fields.
#include "tracker/tracker_state.hpp"

#include <string_view>

namespace station {

// The whole screen in the station's colours, drawn once at start-up.
void drawScreen(TrackerState& tracker);
// The eight values of the satellite-position block, once a second while waiting and tracking.
void showSatelliteValues(TrackerState& tracker);
// Blanks over every value field: when a satellite is chosen and when the tracker goes idle.
void blankValueFields(TrackerState& tracker);
// Blanks over the satellite-position block alone: while the orbit model has no position.
void blankSatelliteValues(TrackerState& tracker);
// AOS and LOS as local times of day and the maximum elevation of the predicted pass.
void showPassTimes(TrackerState& tracker);
// The selection-mode field at row 22, column 25.
void showSelectionMode(TrackerState& tracker, std::string_view text);
// The age block of the element set (rows 7 to 10, column 53).
void showElementAge(Screen& screen, const KeplerianElementSet& elements, const std::string& lookupName,
                    int year, double now);

inline constexpr std::string_view automaticModeText = "Automatic   ";
inline constexpr std::string_view manualModeText = "Manual      ";
inline constexpr std::string_view commandLineModeText = "Command Line";

}  // namespace station
