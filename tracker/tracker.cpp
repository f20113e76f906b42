// Start-up and the main cycle of the tracker: Idling until a satellite is chosen, Waiting for its
// next pass while following it on screen, Tracking from two minutes before AOS to LOS, then the
// end of the pass and the next pass of the same satellite.
#include "tracker/tracker.hpp"

#include "station/date_time.hpp"
#include "station/pass_text.hpp"
#include "station/screen_layout.hpp"
#include "station/search_display.hpp"
#include "tracker/gps_control.hpp"
#include "tracker/radio_control.hpp"
#include "tracker/rotator_control.hpp"
#include "tracker/screen.hpp"

#include <filesystem>
#include <ios>
#include <stdexcept>

namespace station {

namespace {

// A satellite with no pass within the search bound is searched for again after this long.
constexpr double passSearchRetryDays = 1.0 / 24;

std::string joinArguments(const std::vector<std::string>& args) {
    std::string joined;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) {
            joined += ' ';
        }
        joined += args[i];
    }
    return joined;
}

// The run-time error number of a failure that no guarded operation reported.
int errorNumberOf(const std::exception& failure) {
    if (dynamic_cast<const std::filesystem::filesystem_error*>(&failure) != nullptr) {
        return runtimeError::pathFileAccessError;
    }
    if (dynamic_cast<const std::ios_base::failure*>(&failure) != nullptr) {
        return runtimeError::deviceIoError;
    }
    return runtimeError::illegalFunctionCall;
}

}  // namespace

int Tracker::run(const std::vector<std::string>& args) {
    const MessageListener logged(s_.console.screen, [this](std::string_view text) { log_.message(text); });
    log_.record(programTitle + " started" + (args.empty() ? "" : ": command line " + joinArguments(args)));
    int status = 0;
    try {
        try {
            startUp(args);
        } catch (const std::exception& failure) {
            handleError(errorNumberOf(failure));
        }
        for (;;) {
            try {
                mainCycle();
            } catch (const std::exception& failure) {
                // Reported like any unguarded failure; when the handler lets the program go on,
                // the cycle starts over from the top.
                handleError(errorNumberOf(failure));
            }
        }
    } catch (const ProgramExit& exit) {
        status = exit.status;
    }
    log_.record("Ended (exit status " + std::to_string(status) + ")");
    return status;
}

void Tracker::startUp(const std::vector<std::string>& args) {
    TrackerState& s = s_;
    s.gps.gpsTimeoutSeconds = 6;
    // The station's UTC offset is not known yet; the sidereal ratio only needs the date.
    s.clock = readClock(s.console.clock, 0);
    s.constants = trackerConstants(s.clock);

    loadFlipState(s.rotator, s.console.files, *this);

    s.automaticMode = 1;
    s.commandLineMode = 0;
    s.commandLine = joinArguments(args);

    s.station = readStationConfig(s.console.files, *this);
    log_.setUtcOffsetHours(s.station.utcOffsetHours);

    drawScreen(s);
    showFlipState(s);
    openSerialLinks();
}

void Tracker::openSerialLinks() {
    TrackerState& s = s_;
    Station& station = s.station;
    // A link that does not open is reported under its phase; the handler then sets its port to 0.
    auto openLink = [&](std::int16_t phase, std::int16_t port, std::int32_t baud, std::unique_ptr<SerialPort>& link) {
        errorPhase = phase;
        if (port > 0) {
            link = s.console.serialPorts.open(port, baud);
            if (!link) {
                handleError(runtimeError::deviceIoError);
            }
        }
    };
    openLink(trackerPhase::rotatorLink, station.rotatorPort, station.rotatorBaud, s.rotatorLink);
    openLink(trackerPhase::radioLink, station.radioPort, station.radioBaud, s.radioLink);
    openLink(trackerPhase::gpsLink, station.gpsPort, station.gpsBaud, s.gpsLink);
    errorPhase = phase::none;
}

void Tracker::shutDown() {
    TrackerState& s = s_;
    s.rotatorLink.reset();
    s.radioLink.reset();
    s.gpsLink.reset();
    clearWhiteOnBlack(s.screen());
    throw ProgramExit{0};
}

bool Tracker::designationUnchanged() const {
    return s_.selection.satelliteDesignation == s_.trackedDesignation;
}

bool Tracker::beforeTrackingStart() const { return !s_.trackingStarted(); }

bool Tracker::beforeLos() const {
    return !(s_.continuousNow() > continuousDay(s_.pass.year, s_.pass.los));
}

void Tracker::mainCycle() {
    TrackerState& s = s_;
    Selection& selection = s.selection;

    if (selection.satelliteDesignation.empty()) {
        s.showStatus("Idling");
        blankValueFields(s);
    }
    auto idle = [&] {
        if (selection.satelliteDesignation != rejectedDesignation_) {
            rejectedDesignation_.clear();
        }
        return selection.satelliteDesignation.empty() || selection.satelliteDesignation == rejectedDesignation_;
    };
    do {
        serviceCommands();
        if (!idleLogged_ && idle()) {
            log_.record("Idling");
            idleLogged_ = true;
            loggedDesignation_.clear();
        }
        showDateTime(s.screen(), s.console.clock);
        parkRotator(s);
        s.console.sleeper.sleepMs(1);
    } while (idle());

    s.trackedDesignation = selection.satelliteDesignation;
    logSelection();
    // After a satellite missing from the file the operator may have typed another one, or none.
    const auto elements = readElementSet(s.console.files, s.station.elementFileName, selection, *this);
    if (selection.satelliteDesignation.empty() || !elements) {
        selection = Selection{};
        return;
    }
    s.elements = *elements;
    if (const std::string problem = elementSetProblem(s.elements); !problem.empty()) {
        // The orbit model cannot follow this set; the tracker idles until another satellite is chosen.
        s.showMessage(selection.lookupName + ": " + problem);
        rejectedDesignation_ = selection.satelliteDesignation;
        selection = Selection{};
        return;
    }

    loadSatellite();
    waitForPass();
    if (!s.pass.found && designationUnchanged()) {
        return;  // no pass within the bound: search again
    }
    trackPass();
    endOfPass(!beforeLos() && designationUnchanged());
}

void Tracker::loadSatellite() {
    TrackerState& s = s_;
    const float utcOffset = s.station.utcOffsetHours;
    // The element loader may have asked for a new designation.
    s.trackedDesignation = s.selection.satelliteDesignation;
    logSelection();
    blankValueFields(s);
    readGpsPosition(s);
    s.clock = readClock(s.console.clock, utcOffset);
    showElementAge(s.screen(), s.elements, s.selection.lookupName, s.clock.year, s.now());
    s.clock = readClock(s.console.clock, utcOffset);

    PassSearchSettings settings;
    settings.minimumElevation = s.station.minimumElevation;
    settings.searchStep = s.station.searchStep;
    settings.utcOffsetHours = utcOffset;
    ScreenPassSearchDisplay display(s.screen(), s.console.clock);
    noPassSearchedAt_ = s.continuousNow();
    s.pass = predictPass(s.constants, s.elements, s.stationPosition(), settings, s.clock, s.satellite, display);
    logPass();
    if (s.pass.found && !s.pass.geostationary) {
        showPassTimes(s);
        decideFlip(s);
    }
    readFrequencyRecord(s.console.files, s.selection.satelliteDesignation, s.frequencies, *this);
}

void Tracker::logSelection() {
    const TrackerState& s = s_;
    if (s.trackedDesignation.empty() || s.trackedDesignation == loggedDesignation_) {
        return;
    }
    const char* source = s.commandLineMode == 1 ? "command line" : s.automaticMode == 1 ? "KELVORIN.CMD" : "typed";
    log_.record("Satellite " + s.trackedDesignation + " selected (" + source + ")");
    loggedDesignation_ = s.trackedDesignation;
    idleLogged_ = false;
}

void Tracker::logPass() {
    const PassPrediction& pass = s_.pass;
    const std::string& name = s_.trackedDesignation;
    if (!pass.found) {
        log_.record("No pass of " + name + " found; searching again in an hour");
    } else if (pass.geostationary) {
        log_.record(name + " is geostationary: followed from now on");
    } else {
        log_.record("Pass of " + name + ": " + passLogText(pass.year, pass.aos, pass.los, pass.maximumElevation) +
                    ", azimuth " + azimuthText(pass.azimuthAtAos) + " to " + azimuthText(pass.azimuthAtLos));
    }
}

void Tracker::updatePosition() {
    TrackerState& s = s_;
    s.lastSecond = s.clock.second;
    propagate(s.constants, s.elements, s.clock, s.satellite, [&s] { s.showMessage("Keps out of date!"); });
    lookAngles(s.constants, s.stationPosition(), s.satellite);
}

void Tracker::waitForPass() {
    TrackerState& s = s_;
    s.showStatus("Waiting for " + s.selection.satelliteDesignation);
    if (s.pass.found && designationUnchanged()) {
        log_.record("Waiting for " + s.trackedDesignation);
    }
    s.lastSecond = -1;
    auto keepWaiting = [&] {
        if (!designationUnchanged()) {
            return false;
        }
        if (!s.pass.found) {
            return s.continuousNow() < noPassSearchedAt_ + passSearchRetryDays;
        }
        return beforeTrackingStart();
    };
    do {
        serviceCommands();
        s.clock = readClock(s.console.clock, s.station.utcOffsetHours);
        if (s.clock.second != s.lastSecond) {
            updatePosition();
            showDateTime(s.screen(), s.console.clock);
            showSatelliteValues(s);
            parkRotator(s);
        }
        s.console.sleeper.sleepMs(1);
    } while (keepWaiting());
}

void Tracker::trackPass() {
    TrackerState& s = s_;
    s.showStatus("Tracking " + s.selection.satelliteDesignation);
    // A satellite chosen while waiting ends the wait: that is no tracking of either.
    trackingLogged_ = designationUnchanged();
    if (trackingLogged_) {
        log_.record("Tracking " + s.trackedDesignation);
    }
    showFlipState(s);
    if (designationUnchanged()) {
        setupRadio(s);
    }
    // lastSecond is not reset: the first update waits for the next change of the clock's second.
    do {
        serviceCommands();
        s.clock = readClock(s.console.clock, s.station.utcOffsetHours);
        if (s.clock.second != s.lastSecond) {
            updatePosition();
            updateDoppler(s);
            showDateTime(s.screen(), s.console.clock);
            showSatelliteValues(s);
            // A satellite chosen meanwhile ends this pass: the antenna is not moved for it.
            if (designationUnchanged()) {
                driveRotator(s);
            }
        }
        s.console.sleeper.sleepMs(1);
    } while (beforeLos() && designationUnchanged());
}

void Tracker::endOfPass(bool losReached) {
    TrackerState& s = s_;
    shutdownRadio(s);
    parkRotator(s);
    s.showMessage("");
    s.tuning.tuningMode.clear();
    if (trackingLogged_) {
        log_.record(losReached ? "LOS of " + s.trackedDesignation + ": end of pass"
                               : "Tracking of " + s.trackedDesignation + " ended before LOS");
        trackingLogged_ = false;
    }
    // Only a pass that ran to its LOS ends the program; a satellite changed before then is loaded.
    if (losReached && s.station.quitAfterPass == 1 && s.automaticMode == 1) {
        shutDown();
    }
}

}  // namespace station
