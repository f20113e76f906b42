// Start-up and the main cycle of the tracker: Idling until a satellite is chosen, Waiting for its
// next pass while following it on screen, Tracking from two minutes before AOS to LOS, then the
// end of the pass and the next pass of the same satellite.
#include "tracker/tracker.hpp"

#include "station/date_time.hpp"
#include "station/pass_text.hpp"
#include "station/screen_layout.hpp"
#include "station/search_display.hpp"
#include "station/unexpected_failure.hpp"
#include "tracker/faults.hpp"
#include "tracker/gps_control.hpp"
#include "tracker/radio_control.hpp"
#include "tracker/rotator_control.hpp"
#include "tracker/screen.hpp"
#include "tracker/selection.hpp"

#include <cmath>
#include <stdexcept>

namespace station {

namespace {

// A satellite with no pass within the search bound is searched for again after this long.
constexpr double passSearchRetryDays = 1.0 / 24;
// A clock reading this far before the last one, or this far after it, is a step of the clock
// (a second-by-second clock, a radio's setup or a GPS read never makes one).
constexpr double backwardStepDays = 2.0 / 1440;
constexpr double forwardStepDays = 10.0 / 1440;
constexpr double minutesPerDay = 1440;

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

}  // namespace

int Tracker::run(const std::vector<std::string>& args) {
    const MessageListener logged(s_.console.screen, [this](std::string_view text) { log_.message(text); });
    log_.record(programTitle + " started" + (args.empty() ? "" : ": command line " + joinArguments(args)));
    int status = 0;
    const auto report = [this](int errorNumber) { handleError(errorNumber); };
    try {
        reportingUnexpectedFailures([&] { startUp(args); }, report);
        for (;;) {
            // When the handler lets the program go on, the cycle starts over from the top.
            reportingUnexpectedFailures([this] { mainCycle(); }, report);
        }
    } catch (const ProgramExit& exit) {
        status = exit.status;
    }
    log_.record("Ended (exit status " + std::to_string(status) + ")");
    return status;
}

void Tracker::startUp(const std::vector<std::string>& args) {
    TrackerState& s = s_;
    // Watched before its first read, so that no change is missed in between.
    s.console.sleeper.watchFile(commandFileName);
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
    // A link that does not open is reported under its phase; the handler then sets its port to
    // 0. One that opens is opened again whenever it fails later.
    auto openLink = [&](std::int16_t phase, std::int16_t port, std::int32_t baud, ReconnectingLink& link) {
        errorPhase = phase;
        if (port > 0) {
            auto opened = s.console.serialPorts.open(port, baud);
            if (!opened) {
                handleError(runtimeError::deviceIoError);
                return;
            }
            SerialPorts& ports = s.console.serialPorts;
            link.attach(std::move(opened), "COM" + std::to_string(port),
                        [&ports, port, baud] { return ports.reopen(port, baud); });
        }
    };
    if (station.rotatorInterface == daemonRotatorInterface) {
        openDaemonLink(station.rotatorDaemonAddress, rotatorDaemonPort, s.rotatorLink);
    } else {
        openLink(trackerPhase::rotatorLink, station.rotatorPort, station.rotatorBaud, s.rotatorLink);
    }
    if (station.radioType == daemonRadioCode) {
        openDaemonLink(station.radioDaemonAddress, radioDaemonPort, s.radioLink);
    } else {
        openLink(trackerPhase::radioLink, station.radioPort, station.radioBaud, s.radioLink);
    }
    openLink(trackerPhase::gpsLink, station.gpsPort, station.gpsBaud, s.gpsLink);
    errorPhase = phase::none;
}

void Tracker::openDaemonLink(const std::string& addressValue, std::uint16_t defaultPort, ReconnectingLink& link) {
    TrackerState& s = s_;
    const auto address = parseNetworkAddress(addressValue, defaultPort);
    if (!address) {
        s.showMessage(link.role() + " daemon address \"" + addressValue + "\" not understood: not connected.");
        return;
    }
    // A daemon not running yet is a lost link from the start: reported at the first step, and
    // connected to every few seconds until it answers.
    NetworkLinks& network = s.console.network;
    link.attach(network.connect(*address), addressText(*address),
                [&network, where = *address] { return network.connect(where); });
}

void Tracker::shutDown(int status) {
    TrackerState& s = s_;
    s.rotatorLink.reset();
    s.radioLink.reset();
    s.gpsLink.reset();
    clearWhiteOnBlack(s.screen());
    throw ProgramExit{status};
}

bool Tracker::designationUnchanged() const {
    return s_.selection.satelliteDesignation == s_.trackedDesignation;
}

bool Tracker::beforeTrackingStart() const { return !s_.trackingStarted(); }

bool Tracker::beforeLos() const {
    return !(s_.continuousNow() > continuousDay(s_.pass.year, s_.pass.los));
}

bool Tracker::clockStepped() {
    const double reading = s_.continuousNow();
    const double step = reading - lastReading_;
    lastReading_ = reading;
    if (step < -backwardStepDays || step > forwardStepDays) {
        clockStep_ = step;
        return true;
    }
    return false;
}

void Tracker::reportClockStep() {
    const double minutes = std::round(std::fabs(clockStep_) * minutesPerDay);
    s_.showMessage(std::string("Clock stepped ") + (clockStep_ < 0 ? "back " : "forward ") +
                   std::to_string(static_cast<long long>(minutes)) + " minutes: searching the pass again.");
    clockStep_ = 0;
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
    for (;;) {
        serviceCommands();
        const std::int64_t readAt = s.console.clock.epochMillis();
        s.clock = readClock(s.console.clock, s.station.utcOffsetHours);
        serviceLinks(s);
        if (!idleLogged_ && idle()) {
            log_.record("Idling");
            idleLogged_ = true;
            loggedDesignation_.clear();
        }
        showDateTime(s.screen(), s.console.clock);
        parkRotator(s);
        if (!idle()) {
            break;
        }
        awaitNextEvent(readAt);
    }

    s.trackedDesignation = selection.satelliteDesignation;
    logSelection();
    // After a satellite missing from the file the operator may have typed another one, or none.
    const auto elements = readElementSet(s.console.files, s.station.elementFileName, selection, *this);
    if (selection.satelliteDesignation.empty() || !elements) {
        selection = Selection{};
        return;
    }
    s.orbit = satelliteOrbit(s.station.orbitModel, *elements);
    if (!s.orbit.problem.empty()) {
        // The orbit model cannot follow this set; the tracker idles until another satellite is chosen.
        s.showMessage(selection.lookupName + ": " + s.orbit.problem);
        rejectedDesignation_ = selection.satelliteDesignation;
        selection = Selection{};
        return;
    }

    loadSatellite();
    waitForPass();
    if (clockStep_ != 0) {
        reportClockStep();
        return;
    }
    if (!s.pass.found && designationUnchanged()) {
        return;  // no pass within the bound: search again
    }
    trackPass();
    const bool stepped = clockStep_ != 0;
    endOfPass(!stepped && !beforeLos() && designationUnchanged());
    if (stepped) {
        reportClockStep();
    }
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
    showElementAge(s.screen(), s.orbit.elements, s.selection.lookupName, s.clock.year, s.now());
    s.clock = readClock(s.console.clock, utcOffset);
    lastReading_ = s.continuousNow();

    PassSearchSettings settings;
    settings.minimumElevation = s.station.minimumElevation;
    settings.searchStep = s.station.searchStep;
    settings.utcOffsetHours = utcOffset;
    ScreenPassSearchDisplay display(s.screen(), s.console.clock);
    noPassSearchedAt_ = s.continuousNow();
    s.shownModelError = Sgp4Error::none;
    s.pass = predictPass(s.constants, s.orbit, observerOf(s.station), settings, s.clock, s.satellite, display);
    showModelError(s.pass.modelError);
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

bool Tracker::updatePosition() {
    TrackerState& s = s_;
    s.lastSecond = s.clock.second;
    const Sgp4Error error = sampleOrbit(s.constants, s.orbit, observerOf(s.station), s.clock, s.satellite,
                                        [&s] { s.showMessage("Keps out of date!"); });
    showModelError(error);
    return error == Sgp4Error::none;
}

void Tracker::showModelError(Sgp4Error error) {
    TrackerState& s = s_;
    if (error != Sgp4Error::none && error != s.shownModelError) {
        s.showMessage(s.selection.lookupName + ": " + sgp4ErrorText(error));
    }
    s.shownModelError = error;
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
    for (;;) {
        serviceCommands();
        const std::int64_t readAt = s.console.clock.epochMillis();
        s.clock = readClock(s.console.clock, s.station.utcOffsetHours);
        // A satellite chosen meanwhile ends the wait anyway, however long the operator typed.
        if (designationUnchanged() && clockStepped()) {
            return;
        }
        serviceLinks(s);
        if (s.clock.second != s.lastSecond) {
            const bool positioned = updatePosition();
            showDateTime(s.screen(), s.console.clock);
            if (positioned) {
                showSatelliteValues(s);
            } else {
                blankSatelliteValues(s);
            }
            parkRotator(s);
        }
        if (!keepWaiting()) {
            break;
        }
        awaitNextEvent(readAt);
    }
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
        s.radioSetUp = true;
    }
    // lastSecond is not reset: the first update waits for the next change of the clock's second.
    for (;;) {
        serviceCommands();
        const std::int64_t readAt = s.console.clock.epochMillis();
        s.clock = readClock(s.console.clock, s.station.utcOffsetHours);
        if (designationUnchanged() && clockStepped()) {
            return;
        }
        serviceLinks(s);
        if (s.clock.second != s.lastSecond) {
            // Without a position the antenna and the radio stay where they are.
            const bool positioned = updatePosition();
            if (positioned) {
                updateDoppler(s);
            }
            showDateTime(s.screen(), s.console.clock);
            if (positioned) {
                showSatelliteValues(s);
                // A satellite chosen meanwhile ends this pass: the antenna is not moved for it.
                if (designationUnchanged()) {
                    driveRotator(s);
                }
            } else {
                blankSatelliteValues(s);
            }
        }
        if (!beforeLos() || !designationUnchanged()) {
            break;
        }
        awaitNextEvent(readAt);
    }
}

void Tracker::awaitNextEvent(std::int64_t readAt) {
    TrackerState& s = s_;
    // The clock's next second brings the once-a-second update; the device links' retries and
    // hang-up checks, whole seconds after a reading, fall on one too.
    const bool fromCommandFile = s.automaticMode == 1 && s.commandLineMode == 0;
    // A command file that could not be read is tried again after a millisecond, as ever: its
    // two messages' pauses already space the tries.
    const std::int64_t deadline = fromCommandFile && !s.commandFile.valid ? readAt + 1 : nextSecondMillis(readAt);
    const WakeUp seen = s.console.sleeper.waitUntil(deadline, {true, fromCommandFile});
    if (seen.fileChanged) {
        s.commandFile.valid = false;
    }
}

void Tracker::endOfPass(bool losReached) {
    TrackerState& s = s_;
    shutdownRadio(s);
    s.radioSetUp = false;
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
