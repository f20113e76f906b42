// The single-key commands, read once per pass of every loop of the main cycle.
#include "tracker/tracker.hpp"

#include "text/numbers.hpp"
#include "tracker/errors.hpp"
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
    TrackerState& tracker = state_;
    if (!tracker.commandLine.empty()) {
        takeCommandLine(tracker);
    }

    const std::string key = upperCase(tracker.console.keyboard.readKey());
    if (!key.empty()) {
        // Every row whose key and condition hold is carried out, top to bottom; a row may change
        // what a later row tests ("T" entering tuning is not also a tuning key).
        const std::string& tuning = tracker.tuning.tuningMode;
        if (key == "Q") {
            shutDown();
        }
        if (key == "A" && tuning.empty()) {
            tracker.selectionMode = SelectionMode::commandFile;
            showSelectionMode(tracker, automaticModeText);
        }
        if (key == "M") {
            tracker.selectionMode = SelectionMode::keyboard;
            showSelectionMode(tracker, manualModeText);
        }
        if (key == "S" && !tracker.automatic() && tuning.empty()) {
            tracker.selection.satelliteDesignation.clear();
            tracker.selection.lookupName.clear();
        }
        if (key == "T" && !tracker.automatic()) {
            if (tracker.selection.satelliteDesignation.empty()) {
                askDesignation(tracker);
            } else if (tuning.empty()) {
                enterTuning(tracker);
            } else {
                tracker.tuning.tuningMode = "T";
                tracker.screen().printAt(24, 39, "T");
            }
        }
        if (!tuning.empty() && isTuningKey(key)) {
            tuningKey(tracker, key);
        }
        if (key == "C" && !tracker.automatic() && tuning.empty()) {
            calibrateRotator(tracker);
        }
        if (key == "G" && !tracker.automatic() && tuning.empty()) {
            readGpsPosition(tracker);
        }
    }

    if (tracker.selectionMode == SelectionMode::commandFile) {
        if (const auto failed = pollCommandFile(tracker)) {
            // A file that cannot be opened cannot be read either: both are said.
            if (*failed == CommandFileFailure::missing) {
                reportFailure(tracker, TrackerFailure::commandFileMissing);
            }
            reportFailure(tracker, TrackerFailure::commandFileUnreadable);
        }
    }

    // The tuning line is the message line: the report waits for the end of tuning.
    if (tracker.tuning.tuningMode.empty()) {
        if (const std::string report = log_.takeFailureReport(); !report.empty()) {
            tracker.showMessage(report);
        }
    }
}

}  // namespace station
