// The tracker's one error handler: the phase set before a guarded operation chooses the message
// and the repair, or the end of the program.
#include "tracker/tracker.hpp"

#include "text/picture.hpp"
#include "tracker/selection.hpp"

#include <string>

namespace station {

namespace {

enum class Outcome { continues, fatal };

constexpr int fatalWaitSeconds = 60;
constexpr int fatalExitStatus = 1;

using Repair = void (*)(TrackerState&);

struct PhaseBranch {
    std::int16_t phase;
    std::string_view message;
    Outcome outcome;
    Repair repair;
};

void clearDesignation(TrackerState& tracker) { tracker.selection.satelliteDesignation.clear(); }
void showDopplerPpm(TrackerState& tracker) { tracker.frequencies.noFrequencyData = 1; }
void resetFlipState(TrackerState& tracker) { tracker.rotator.flipState = 0; }
void switchOffRotator(TrackerState& tracker) { tracker.station.rotatorPort = 0; }
void switchOffRadio(TrackerState& tracker) { tracker.station.radioPort = 0; }
void switchOffGps(TrackerState& tracker) { tracker.station.gpsPort = 0; }

// The phases whose message is a fixed text. The element lookup and the frequency lookup name what
// failed, and a failure under no phase names its number: these are handled apart.
constexpr PhaseBranch fixedBranches[] = {
    {phase::stationConfigOpen, "ERROR: Could not find configuration file! Cannot continue.", Outcome::fatal,
     nullptr},
    {phase::stationConfigRead, "Error in configuration file!  Cannot continue.", Outcome::fatal, nullptr},
    {trackerPhase::commandFileOpen, "Could not find command file. I'm trying again...", Outcome::continues,
     clearDesignation},
    {trackerPhase::commandFileRead, "Command file unaccessible at this moment. I'm trying again...",
     Outcome::continues, nullptr},
    {phase::elementFileOpen, "ERROR: Could not find keplerian data file! Cannot continue.", Outcome::fatal,
     nullptr},
    {phase::elementRead, "Error in keplerian data file! Cannot continue.", Outcome::fatal, nullptr},
    {trackerPhase::frequencyFileOpen, "Could not find KELVORIN.FRC file. Showing Doppler PPM.",
     Outcome::continues, showDopplerPpm},
    {trackerPhase::frequencyRecord, "Input past end in KELVORIN.FRC", Outcome::continues, nullptr},
    {trackerPhase::flipFile, "Could not find KVFLIP.DAT file. Continuing without.", Outcome::continues,
     resetFlipState},
    {trackerPhase::rotatorLink, "Could not open rotator port. Switching off rotator control.",
     Outcome::continues, switchOffRotator},
    {trackerPhase::radioLink, "Could not open radio port. Switching off radio control.", Outcome::continues,
     switchOffRadio},
    {trackerPhase::gpsLink, "Could not open GPS port. Switching off GPS support.", Outcome::continues,
     switchOffGps},
};

}  // namespace

void Tracker::handleError(int errorNumber) {
    TrackerState& tracker = state_;
    Selection& selection = tracker.selection;

    // The message stays for a key, or for a minute: a station nobody watches must end the
    // program, so that the job that started it ends and the scheduler goes on.
    auto fatal = [&](std::string_view message) {
        tracker.showMessage(message);
        waitForKey(tracker.console, fatalWaitSeconds);
        shutDown(fatalExitStatus);
    };

    const PhaseBranch* branch = nullptr;
    for (const PhaseBranch& candidate : fixedBranches) {
        if (candidate.phase == errorPhase) {
            branch = &candidate;
        }
    }

    if (branch != nullptr) {
        if (branch->outcome == Outcome::fatal) {
            fatal(branch->message);
        }
        tracker.showMessage(branch->message);
        if (branch->repair != nullptr) {
            branch->repair(tracker);
        }
    } else if (errorPhase == phase::elementLookup) {
        tracker.showMessage("ERROR: Keplerian data file has no data for " + selection.lookupName + ".");
        if (tracker.automatic()) {
            fatal("ERROR: Auto mode tried to track a sat that isn't in the kep file.");
        }
        waitForKey(tracker.console);
        constexpr std::string_view prompt = "Please retype satellite designation:";
        tracker.showMessage(prompt);
        takeDesignation(tracker, readLineWithEcho(tracker.console, roomAfterPrompt(prompt)));
        tracker.showMessage("");
    } else if (errorPhase == trackerPhase::frequencyLookup) {
        // The park's record is optional: without one the radio is simply not parked.
        if (!tracker.radio.parking) {
            tracker.showMessage("No data for " + selection.satelliteDesignation +
                          " in frequency file. Showing Doppler PPM.");
        }
        tracker.frequencies.noFrequencyData = 1;
    } else if (!tracker.radio.parking) {
        // No phase, or one this handler does not know: a failure nobody guarded. While the radio
        // parks such a failure passes silently, as a missing park record does.
        fatal("Unexpected error " + formatInteger(errorNumber) + ". Please report to the author.");
    }

    errorPhase = phase::none;
    tracker.pauseTwoSeconds();
    tracker.showMessage("");
}

}  // namespace station
