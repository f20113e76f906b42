// The single-key commands, read once per pass of every loop of the main cycle.
#include "tracker/tracker.hpp"

#include "text/numbers.hpp"
#include "tracker/gps_control.hpp"
#include "tracker/rotator_control.hpp"
#include "tracker/screen.hpp"
#include "tracker/selection.hpp"
#include "tracker/tuning.hpp"

namespace station {

namespace {

bool isTuningKey(const std::string& key) {
    return key == "E" || key == "R" || key == "D" || key == "I" || key == "S" || key == keyUp ||
           key == keyDown || key == keyRight || key == keyLeft;
}

}  // namespace

void Tracker::serviceCommands() {
    TrackerState& s = s_;
    if (!s.commandLine.empty()) {
        takeCommandLine(s);
    }

    const std::string key = upperCase(s.console.keyboard.readKey());
    if (!key.empty()) {
        // Every row whose key and condition hold is carried out, top to bottom; a row may change
        // what a later row tests ("T" entering tuning is not also a tuning key).
        const std::string& tuning = s.tuning.tuningMode;
        if (key == "Q") {
            shutDown();
        }
        if (key == "A" && tuning.empty()) {
            s.automaticMode = 1;
            s.commandLineMode = 0;
            showSelectionMode(s, automaticModeText);
        }
        if (key == "M") {
            s.automaticMode = 0;
            s.commandLineMode = 0;
            showSelectionMode(s, manualModeText);
        }
        if (key == "S" && s.automaticMode == 0 && tuning.empty()) {
            s.selection.satelliteDesignation.clear();
            s.selection.lookupName.clear();
        }
        if (key == "T" && s.automaticMode == 0) {
            if (s.selection.satelliteDesignation.empty()) {
                askDesignation(s);
            } else if (tuning.empty()) {
                enterTuning(s);
            } else {
                s.tuning.tuningMode = "T";
                s.screen().printAt(24, 39, "T");
            }
        }
        if (!tuning.empty() && isTuningKey(key)) {
            tuningKey(s, key);
        }
        if (key == "C" && s.automaticMode == 0 && tuning.empty()) {
            calibrateRotator(s);
        }
        if (key == "G" && s.automaticMode == 0 && tuning.empty()) {
            readGpsPosition(s);
        }
    }

    if (s.automaticMode == 1 && s.commandLineMode == 0) {
        pollCommandFile(s);
    }

    // The tuning line is the message line: the report waits for the end of tuning.
    if (s.tuning.tuningMode.empty()) {
        if (const std::string report = log_.takeFailureReport(); !report.empty()) {
            s.showMessage(report);
        }
    }
}

}  // namespace station
