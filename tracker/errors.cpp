// The tracker's failures: one table of messages and repairs, and the end of the program.
#include "tracker/errors.hpp"

#include "station/screen_layout.hpp"
#include "text/picture.hpp"
#include "tracker/selection.hpp"

#include <string>

namespace station {

namespace {

enum class Outcome { continues, fatal };

constexpr int fatalWaitSeconds = 60;
constexpr int fatalExitStatus = 1;

using Repair = void (*)(TrackerState&);

struct FailureBranch {
    TrackerFailure failure;
    std::string_view message;
    Outcome outcome;
    Repair repair;
};

void clearDesignation(TrackerState& tracker) { tracker.selection = Selection{}; }
void showDopplerPpm(TrackerState& tracker) { tracker.frequencies.noFrequencyData = 1; }
void resetFlipState(TrackerState& tracker) { tracker.rotator.flipState = 0; }
void switchOffRotator(TrackerState& tracker) { tracker.station.rotatorPort = 0; }
void switchOffRadio(TrackerState& tracker) { tracker.station.radioPort = 0; }
void switchOffGps(TrackerState& tracker) { tracker.station.gpsPort = 0; }

constexpr FailureBranch branches[] = {
    {TrackerFailure::stationConfigMissing, "ERROR: Could not find configuration file! Cannot continue.",
     Outcome::fatal, nullptr},
    {TrackerFailure::stationConfigBad, "Error in configuration file!  Cannot continue.", Outcome::fatal, nullptr},
    {TrackerFailure::commandFileMissing, "Could not find command file. I'm trying again...", Outcome::continues,
     clearDesignation},
    {TrackerFailure::commandFileUnreadable, "Command file unaccessible at this moment. I'm trying again...",
     Outcome::continues, nullptr},
    {TrackerFailure::elementFileMissing, "ERROR: Could not find keplerian data file! Cannot continue.",
     Outcome::fatal, nullptr},
    {TrackerFailure::elementFileBad, "Error in keplerian data file! Cannot continue.", Outcome::fatal, nullptr},
    {TrackerFailure::frequencyFileMissing, "Could not find KELVORIN.FRC file. Showing Doppler PPM.",
     Outcome::continues, showDopplerPpm},
    {TrackerFailure::flipFileMissing, "Could not find KVFLIP.DAT file. Continuing without.", Outcome::continues,
     resetFlipState},
    {TrackerFailure::rotatorPortFailed, "Could not open rotator port. Switching off rotator control.",
     Outcome::continues, switchOffRotator},
    {TrackerFailure::radioPortFailed, "Could not open radio port. Switching off radio control.",
     Outcome::continues, switchOffRadio},
    {TrackerFailure::gpsPortFailed, "Could not open GPS port. Switching off GPS support.", Outcome::continues,
     switchOffGps},
};

// The message stays for a key, or for a minute: a station nobody watches must end the program,
// so that the job that started it ends and the scheduler goes on.
[[noreturn]] void fatal(TrackerState& tracker, std::string_view message) {
    tracker.showMessage(message);
    waitForKey(tracker.console, fatalWaitSeconds);
    endProgram(tracker, fatalExitStatus);
}

// After a failure the program goes on from: the message stays two seconds (a key ends the pause).
void pauseAndClear(TrackerState& tracker) {
    tracker.pauseTwoSeconds();
    tracker.showMessage("");
}

}  // namespace

void reportFailure(TrackerState& tracker, TrackerFailure failure) {
    for (const FailureBranch& branch : branches) {
        if (branch.failure != failure) {
            continue;
        }
        if (branch.outcome == Outcome::fatal) {
            fatal(tracker, branch.message);
        }
        tracker.showMessage(branch.message);
        if (branch.repair != nullptr) {
            branch.repair(tracker);
        }
    }
    pauseAndClear(tracker);
}

void reportFrequencyFailure(TrackerState& tracker, FrequencyFailure failure) {
    if (failure == FrequencyFailure::fileNotFound) {
        reportFailure(tracker, TrackerFailure::frequencyFileMissing);
        return;
    }
    // The park's record is optional: without one the radio is simply not parked.
    if (!tracker.radio.parking) {
        tracker.showMessage("No data for " + tracker.selection.satelliteDesignation +
                            " in frequency file. Showing Doppler PPM.");
    }
    tracker.frequencies.noFrequencyData = 1;
    pauseAndClear(tracker);
}

void reportUnexpectedFailure(TrackerState& tracker, int errorNumber) {
    // While the radio parks such a failure passes silently, as a missing park record does.
    if (!tracker.radio.parking) {
        fatal(tracker, "Unexpected error " + formatInteger(errorNumber) + ". Please report to the author.");
    }
    pauseAndClear(tracker);
}

void reportMissingSatellite(TrackerState& tracker) {
    tracker.showMessage("ERROR: Keplerian data file has no data for " + tracker.selection.lookupName + ".");
    if (tracker.automatic()) {
        fatal(tracker, "ERROR: Auto mode tried to track a sat that isn't in the kep file.");
    }
    waitForKey(tracker.console);
    constexpr std::string_view prompt = "Please retype satellite designation:";
    tracker.showMessage(prompt);
    takeDesignation(tracker, readLineWithEcho(tracker.console, roomAfterPrompt(prompt)));
    tracker.showMessage("");
    pauseAndClear(tracker);
}

void endProgram(TrackerState& tracker, int status) {
    tracker.rotatorLink.reset();
    tracker.radioLink.reset();
    tracker.gpsLink.reset();
    clearWhiteOnBlack(tracker.screen());
    throw ProgramExit{status};
}

}  // namespace station
