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

void clearDesignation(TrackerState& s) { s.selection.satelliteDesignation.clear(); }
void showDopplerPpm(TrackerState& s) { s.frequencies.noFrequencyData = 1; }
void resetFlipState(TrackerState& s) { s.rotator.flipState = 0; }
void switchOffRotator(TrackerState& s) { s.station.rotatorPort = 0; }
void switchOffRadio(TrackerState& s) { s.station.radioPort = 0; }
void switchOffGps(TrackerState& s) { s.station.gpsPort = 0; }

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
    TrackerState& s = s_;
    Selection& selection = s.selection;

    // The message stays for a key, or for a minute: a station nobody watches must end the
    // program, so that the job that started it ends and the scheduler goes on.
    auto fatal = [&](std::string_view message) {
        s.showMessage(message);
        waitForKey(s.console, fatalWaitSeconds);
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
        s.showMessage(branch->message);
        if (branch->repair != nullptr) {
            branch->repair(s);
        }
    } else if (errorPhase == phase::elementLookup) {
        s.showMessage("ERROR: Keplerian data file has no data for " + selection.lookupName + ".");
        if (s.automaticMode == 1) {
            fatal("ERROR: Auto mode tried to track a sat that isn't in the kep file.");
        }
        waitForKey(s.console);
        constexpr std::string_view prompt = "Please retype satellite designation:";
        s.showMessage(prompt);
        takeDesignation(s, readLineWithEcho(s.console, roomAfterPrompt(prompt)));
        s.showMessage("");
    } else if (errorPhase == trackerPhase::frequencyLookup) {
        // The park's record is optional: without one the radio is simply not parked.
        if (!s.radio.parking) {
            s.showMessage("No data for " + selection.satelliteDesignation +
                          " in frequency file. Showing Doppler PPM.");
        }
        s.frequencies.noFrequencyData = 1;
    } else if (!s.radio.parking) {
        // No phase, or one this handler does not know: a failure nobody guarded. While the radio
        // parks such a failure passes silently, as a missing park record does.
        fatal("Unexpected error " + formatInteger(errorNumber) + ". Please report to the author.");
    }

    errorPhase = phase::none;
    s.pauseTwoSeconds();
    s.showMessage("");
}

}  // namespace station
