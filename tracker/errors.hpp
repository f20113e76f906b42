#pragma once
// The tracker's failures and the one table of their messages: each failure shows its message and
// either repairs what it can and goes on after a pause, or ends the program.
#include "config/frequency.hpp"
#include "console/program_exit.hpp"
#include "tracker/tracker_state.hpp"

namespace station {

enum class TrackerFailure {
    stationConfigMissing,
    stationConfigBad,
    commandFileMissing,
    commandFileUnreadable,
    elementFileMissing,
    elementFileBad,
    frequencyFileMissing,
    flipFileMissing,
    rotatorPortFailed,
    radioPortFailed,
    gpsPortFailed,
};

// Shows the failure's message; a fatal one waits for a key or a minute and ends the program
// (ProgramExit, status 1), the others repair, pause two seconds and clear the message line.
void reportFailure(TrackerState& tracker, TrackerFailure failure);
// A frequency record that could not be read: the frequencies show as Doppler PPM.
void reportFrequencyFailure(TrackerState& tracker, FrequencyFailure failure);
// A failure no operation reported, by its run-time error number: fatal.
void reportUnexpectedFailure(TrackerState& tracker, int errorNumber);
// The chosen satellite has no element set: fatal in the automatic modes; otherwise the operator
// is asked for another designation (an empty answer leaves none).
void reportMissingSatellite(TrackerState& tracker);
// Closes the links, leaves the screen white on black and cleared; ends with the status.
[[noreturn]] void endProgram(TrackerState& tracker, int status);

}  // namespace station
