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
#include "tracker/errors.hpp"
#include "tracker/gps_control.hpp"
#include "tracker/radio_control.hpp"
#include "tracker/rotator_control.hpp"
#include "tracker/screen.hpp"
#include "tracker/selection.hpp"
#include "tracker/status_facts.hpp"

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
    const MessageListener logged(state_.console.screen, [this](std::string_view text) { log_.message(text); });
    log_.record(programTitle + " started" + (args.empty() ? "" : ": command line " + joinArguments(args)));
    int status = 0;
    const auto report = [this](int errorNumber) { reportUnexpectedFailure(state_, errorNumber); };
    try {
        reportingUnexpectedFailures([&] { startUp(args); }, report);
        for (;;) {
            // When the program goes on, the cycle starts over from the top.
            reportingUnexpectedFailures([this] { mainCycle(); }, report);
        }
    } catch (const ProgramExit& exit) {
        status = exit.status;
    }
    // A tracker that ended as asked is no stopped station; one that failed keeps its last state,
    // so that its heartbeat ages. The screen is gone: a failed write is not reported.
    if (status == 0 && statusFiles_.enabled()) {
        activity_ = TrackerActivity::ended;
        statusFiles_.write(state_.console.clock.epochMillis() / 1000, activityName(activity_),
                           formatStatus(trackerFacts(state_, activity_)));
    }
    log_.record("Ended (exit status " + std::to_string(status) + ")");
    return status;
}

void Tracker::startUp(const std::vector<std::string>& args) {
    TrackerState& tracker = state_;
    // Watched before its first read, so that no change is missed in between.
    tracker.console.sleeper.watchFile(commandFileName);
    tracker.gps.gpsTimeoutSeconds = 6;
    // The station's UTC offset is not known yet; the sidereal ratio only needs the date.
    tracker.clock = readClock(tracker.console.clock, 0);
    tracker.constants = trackerConstants(tracker.clock);

    if (const auto saved = readFlipState(tracker.console.files)) {
        tracker.rotator.flipState = *saved;
    } else {
        reportFailure(tracker, TrackerFailure::flipFileMissing);
    }

    tracker.selectionMode = SelectionMode::commandFile;
    tracker.commandLine = joinArguments(args);

    const auto station = readStationConfig(tracker.console.files);
    if (!station) {
        reportFailure(tracker, station.error() == FileFailure::notFound ? TrackerFailure::stationConfigMissing
                                                                       : TrackerFailure::stationConfigBad);
    }
    tracker.station = *station;
    log_.setUtcOffsetHours(tracker.station.utcOffsetHours);
    statusFiles_ = StatusFiles(tracker.console.files, tracker.station.statusDirectory, "kelvorin");

    drawScreen(tracker);
    showFlipState(tracker);
    openSerialLinks();
}

void Tracker::openSerialLinks() {
    TrackerState& tracker = state_;
    Station& station = tracker.station;
    // A link that does not open is reported, which sets its port to 0. One that opens is opened
    // again whenever it fails later.
    auto openLink = [&](TrackerFailure failed, std::int16_t port, std::int32_t baud, ReconnectingLink& link) {
        if (port > 0) {
            auto opened = tracker.console.serialPorts.open(port, baud);
            if (!opened) {
                reportFailure(tracker, failed);
                return;
            }
            SerialPorts& ports = tracker.console.serialPorts;
            link.attach(std::move(opened), "COM" + std::to_string(port),
                        [&ports, port, baud] { return ports.reopen(port, baud); });
        }
    };
    if (station.rotatorInterface == RotatorInterface::daemon) {
        openDaemonLink(station.rotatorDaemonAddress, rotatorDaemonPort, tracker.rotatorLink);
    } else {
        openLink(TrackerFailure::rotatorPortFailed, station.rotatorPort, station.rotatorBaud, tracker.rotatorLink);
    }
    if (station.radioType == daemonRadioCode) {
        openDaemonLink(station.radioDaemonAddress, radioDaemonPort, tracker.radioLink);
    } else {
        openLink(TrackerFailure::radioPortFailed, station.radioPort, station.radioBaud, tracker.radioLink);
    }
    openLink(TrackerFailure::gpsPortFailed, station.gpsPort, station.gpsBaud, tracker.gpsLink);
}

void Tracker::openDaemonLink(const std::string& addressValue, std::uint16_t defaultPort, ReconnectingLink& link) {
    TrackerState& tracker = state_;
    const auto address = parseNetworkAddress(addressValue, defaultPort);
    if (!address) {
        tracker.showMessage(link.role() + " daemon address \"" + addressValue + "\" not understood: not connected.");
        return;
    }
    // A daemon not running yet is a lost link from the start: reported at the first step, and
    // connected to every few seconds until it answers.
    NetworkLinks& network = tracker.console.network;
    link.attach(network.connect(*address), addressText(*address),
                [&network, where = *address] { return network.connect(where); });
}

void Tracker::shutDown(int status) { endProgram(state_, status); }

bool Tracker::designationUnchanged() const {
    return state_.selection.satelliteDesignation == state_.trackedDesignation;
}

bool Tracker::beforeTrackingStart() const { return !state_.trackingStarted(); }

bool Tracker::beforeLos() const {
    return !(state_.continuousNow() > continuousDay(state_.pass.year, state_.pass.los));
}

bool Tracker::clockStepped() {
    const double reading = state_.continuousNow();
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
    state_.showMessage(std::string("Clock stepped ") + (clockStep_ < 0 ? "back " : "forward ") +
                   std::to_string(static_cast<long long>(minutes)) + " minutes: searching the pass again.");
    clockStep_ = 0;
}

void Tracker::mainCycle() {
    TrackerState& tracker = state_;
    Selection& selection = tracker.selection;

    if (selection.satelliteDesignation.empty()) {
        tracker.showStatus("Idling");
        blankValueFields(tracker);
    }
    auto idle = [&] {
        if (selection.satelliteDesignation != rejectedDesignation_) {
            rejectedDesignation_.clear();
        }
        return selection.satelliteDesignation.empty() || selection.satelliteDesignation == rejectedDesignation_;
    };
    activity_ = TrackerActivity::idle;
    repeatEachPass(ClockSteps::ignored, [&] {
        if (!idleLogged_ && idle()) {
            log_.record("Idling");
            idleLogged_ = true;
            loggedDesignation_.clear();
        }
        showDateTime(tracker.screen(), tracker.console.clock);
        parkRotator(tracker);
        return idle();
    });

    tracker.trackedDesignation = selection.satelliteDesignation;
    logSelection();
    // After a satellite missing from the file the operator may have typed another one, or none.
    auto elements = readElementSet(tracker.console.files, tracker.station.elementFileName, selection.lookupName);
    while (!elements && elements.error() == ElementFailure::nameNotFound) {
        reportMissingSatellite(tracker);
        if (selection.satelliteDesignation.empty()) {
            break;
        }
        elements = readElementSet(tracker.console.files, tracker.station.elementFileName, selection.lookupName);
    }
    if (!elements && elements.error() != ElementFailure::nameNotFound) {
        reportFailure(tracker, elements.error() == ElementFailure::fileNotFound ? TrackerFailure::elementFileMissing
                                                                                : TrackerFailure::elementFileBad);
    }
    if (selection.satelliteDesignation.empty() || !elements) {
        selection = Selection{};
        return;
    }
    tracker.orbit = satelliteOrbit(tracker.station.orbitModel, *elements);
    if (!tracker.orbit.problem.empty()) {
        // The orbit model cannot follow this set; the tracker idles until another satellite is chosen.
        tracker.showMessage(selection.lookupName + ": " + tracker.orbit.problem);
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
    if (!tracker.pass.found && designationUnchanged()) {
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
    TrackerState& tracker = state_;
    const float utcOffset = tracker.station.utcOffsetHours;
    // The element loader may have asked for a new designation.
    tracker.trackedDesignation = tracker.selection.satelliteDesignation;
    logSelection();
    blankValueFields(tracker);
    readGpsPosition(tracker);
    tracker.clock = readClock(tracker.console.clock, utcOffset);
    showElementAge(tracker.screen(), tracker.orbit.elements, tracker.selection.lookupName, tracker.clock.year, tracker.now());
    tracker.clock = readClock(tracker.console.clock, utcOffset);
    lastReading_ = tracker.continuousNow();

    PassSearchSettings settings;
    settings.minimumElevation = tracker.station.minimumElevation;
    settings.searchStep = tracker.station.searchStep;
    settings.utcOffsetHours = utcOffset;
    ScreenPassSearchDisplay display(tracker.screen(), tracker.console.clock);
    noPassSearchedAt_ = tracker.continuousNow();
    tracker.shownModelError = Sgp4Error::none;
    tracker.pass = predictPass(tracker.constants, tracker.orbit, observerOf(tracker.station), settings, tracker.clock, tracker.satellite, display);
    showModelError(tracker.pass.modelError);
    logPass();
    if (tracker.pass.found && !tracker.pass.geostationary) {
        showPassTimes(tracker);
        decideFlip(tracker);
    }
    if (auto record = readFrequencyRecord(tracker.console.files, tracker.selection.satelliteDesignation)) {
        tracker.frequencies = *record;
    } else {
        reportFrequencyFailure(tracker, record.error());
    }
}

void Tracker::logSelection() {
    const TrackerState& tracker = state_;
    if (tracker.trackedDesignation.empty() || tracker.trackedDesignation == loggedDesignation_) {
        return;
    }
    const char* source = tracker.selectionMode == SelectionMode::commandLine ? "command line"
                         : tracker.selectionMode == SelectionMode::commandFile ? "KELVORIN.CMD"
                                                                               : "typed";
    log_.record("Satellite " + tracker.trackedDesignation + " selected (" + source + ")");
    loggedDesignation_ = tracker.trackedDesignation;
    idleLogged_ = false;
}

void Tracker::logPass() {
    const PassPrediction& pass = state_.pass;
    const std::string& name = state_.trackedDesignation;
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
    TrackerState& tracker = state_;
    tracker.lastSecond = tracker.clock.second;
    const Sgp4Error error = sampleOrbit(tracker.constants, tracker.orbit, observerOf(tracker.station), tracker.clock, tracker.satellite,
                                        [&tracker] { tracker.showMessage("Keps out of date!"); });
    showModelError(error);
    return error == Sgp4Error::none;
}

void Tracker::showModelError(Sgp4Error error) {
    TrackerState& tracker = state_;
    if (error != Sgp4Error::none && error != tracker.shownModelError) {
        tracker.showMessage(tracker.selection.lookupName + ": " + sgp4ErrorText(error));
    }
    tracker.shownModelError = error;
}

void Tracker::waitForPass() {
    TrackerState& tracker = state_;
    tracker.showStatus("Waiting for " + tracker.selection.satelliteDesignation);
    activity_ = TrackerActivity::waiting;
    if (tracker.pass.found && designationUnchanged()) {
        log_.record("Waiting for " + tracker.trackedDesignation);
    }
    tracker.lastSecond = -1;
    auto keepWaiting = [&] {
        if (!designationUnchanged()) {
            return false;
        }
        if (!tracker.pass.found) {
            return tracker.continuousNow() < noPassSearchedAt_ + passSearchRetryDays;
        }
        return beforeTrackingStart();
    };
    repeatEachPass(ClockSteps::endTheState, [&] {
        if (tracker.clock.second != tracker.lastSecond) {
            const bool positioned = updatePosition();
            showDateTime(tracker.screen(), tracker.console.clock);
            if (positioned) {
                showSatelliteValues(tracker);
            } else {
                blankSatelliteValues(tracker);
            }
            parkRotator(tracker);
        }
        return keepWaiting();
    });
}

void Tracker::trackPass() {
    TrackerState& tracker = state_;
    tracker.showStatus("Tracking " + tracker.selection.satelliteDesignation);
    activity_ = TrackerActivity::tracking;
    // A satellite chosen while waiting ends the wait: that is no tracking of either.
    trackingLogged_ = designationUnchanged();
    if (trackingLogged_) {
        log_.record("Tracking " + tracker.trackedDesignation);
    }
    showFlipState(tracker);
    if (designationUnchanged()) {
        setupRadio(tracker);
        tracker.radioSetUp = true;
    }
    // lastSecond is not reset: the first update waits for the next change of the clock's second.
    repeatEachPass(ClockSteps::endTheState, [&] {
        if (tracker.clock.second != tracker.lastSecond) {
            // Without a position the antenna and the radio stay where they are.
            const bool positioned = updatePosition();
            if (positioned) {
                updateDoppler(tracker);
            }
            showDateTime(tracker.screen(), tracker.console.clock);
            if (positioned) {
                showSatelliteValues(tracker);
                // A satellite chosen meanwhile ends this pass: the antenna is not moved for it.
                if (designationUnchanged()) {
                    driveRotator(tracker);
                }
            } else {
                blankSatelliteValues(tracker);
            }
        }
        return beforeLos() && designationUnchanged();
    });
}

void Tracker::repeatEachPass(ClockSteps clockSteps, const std::function<bool()>& work) {
    TrackerState& tracker = state_;
    for (;;) {
        serviceCommands();
        const std::int64_t readAt = tracker.console.clock.epochMillis();
        tracker.clock = readClock(tracker.console.clock, tracker.station.utcOffsetHours);
        // A satellite chosen meanwhile ends the state anyway, however long the operator typed.
        if (clockSteps == ClockSteps::endTheState && designationUnchanged() && clockStepped()) {
            return;
        }
        serviceLinks(tracker);
        if (!work()) {
            return;
        }
        publishStatus();
        awaitNextEvent(readAt);
    }
}

void Tracker::awaitNextEvent(std::int64_t readAt) {
    TrackerState& tracker = state_;
    // The clock's next second brings the once-a-second update; the device links' retries and
    // hang-up checks, whole seconds after a reading, fall on one too.
    const bool fromCommandFile = tracker.selectionMode == SelectionMode::commandFile;
    // A command file that could not be read is tried again after a millisecond, as ever: its
    // two messages' pauses already space the tries.
    const std::int64_t deadline = fromCommandFile && !tracker.commandFile.valid ? readAt + 1 : nextSecondMillis(readAt);
    const WakeUp seen = tracker.console.sleeper.waitUntil(deadline, {true, fromCommandFile});
    if (seen.fileChanged) {
        tracker.commandFile.valid = false;
    }
}

void Tracker::publishStatus() {
    const std::int64_t second = state_.console.clock.epochMillis() / 1000;
    const std::string state = std::string(activityName(activity_)) + " " + state_.trackedDesignation;
    if (statusFiles_.due(second, state)) {
        const auto written = statusFiles_.write(second, state, formatStatus(trackerFacts(state_, activity_)));
        reportWrite(state_, written.fileName, written.result);
    }
}

void Tracker::endOfPass(bool losReached) {
    TrackerState& tracker = state_;
    shutdownRadio(tracker);
    tracker.radioSetUp = false;
    parkRotator(tracker);
    tracker.showMessage("");
    tracker.tuning.tuningMode.clear();
    if (trackingLogged_) {
        log_.record(losReached ? "LOS of " + tracker.trackedDesignation + ": end of pass"
                               : "Tracking of " + tracker.trackedDesignation + " ended before LOS");
        trackingLogged_ = false;
    }
    // Only a pass that ran to its LOS ends the program; a satellite changed before then is loaded.
    if (losReached && tracker.station.quitAfterPass == 1 && tracker.automatic()) {
        shutDown();
    }
}

}  // namespace station
