#include "scheduler/scheduler.hpp"

#include "station/pass_text.hpp"
#include "station/unexpected_failure.hpp"
#include "text/numbers.hpp"
#include "text/picture.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <ostream>

namespace station {

namespace {

// A pass of the entry whose job just ran that starts before now plus this (8.64 s) is that job's.
constexpr double servedAosMarginDays = 0.0001;
constexpr int waitRoundMs = 300;
// A fatal message waits this long for a key: a station nobody watches must end the program so
// that a service manager can start it again.
constexpr int fatalWaitSeconds = 60;
constexpr int fatalExitStatus = 1;
// A job still running this long after the LOS of its pass is ended.
constexpr double jobOverrunDays = 60.0 / 1440;
constexpr double secondsPerDay = 86400;
constexpr double minutesPerDay = 1440;
// The divider between the schedule and the real-time panel.
constexpr int panelDividerColumn = 40;

struct FailureMessage {
    SchedulerFailure failure;
    std::string_view text;
};
// A missing satellite is named in its message; the others are fixed texts.
constexpr std::array<FailureMessage, 6> fatalMessages{{
    {SchedulerFailure::stationConfigMissing, "ERROR: Could not find KELVORIN.CFG file! Cannot continue."},
    {SchedulerFailure::stationConfigBad, "ERROR in KELVORIN.CFG file!  Cannot continue."},
    {SchedulerFailure::settingsMissing, "ERROR: Could not find MIRADOS.CFG file! Cannot continue."},
    {SchedulerFailure::settingsBad, "ERROR in MIRADOS.CFG file! Cannot continue."},
    {SchedulerFailure::elementFileMissing, "ERROR: Could not find keplerian data file! Cannot continue."},
    {SchedulerFailure::elementFileBad, "ERROR in keplerian data file! Cannot continue."},
}};

}  // namespace

JobCommand jobCommandOf(std::string_view text) {
    JobCommand command;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t end = std::min(text.find(' ', i), text.size());
        std::string word(text.substr(i, end - i));
        if (command.name.empty()) {
            command.name = std::move(word);
        } else {
            command.arguments.push_back(std::move(word));
        }
        i = end;
    }
    return command;
}

bool isPlainJobName(std::string_view name) {
    return !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
        return c == '/' || static_cast<unsigned char>(c) < 32 || c == 127;
    });
}

Scheduler::Scheduler(Console& c)
    : console(c), eventLog(c.files, "MIRADOS.LOG", c.clock), display_(c.screen, c.clock) {}

int Scheduler::run() {
    const MessageListener logged(console.screen, [this](std::string_view text) { eventLog.message(text); });
    eventLog.record(programBanner + " started");
    int status = 0;
    try {
        reportingUnexpectedFailures(
            [this] {
                startUp();
                for (;;) {
                    runCycle();
                }
            },
            [this](int errorNumber) { failUnexpectedly(errorNumber); });
    } catch (const ProgramExit& exit) {
        status = exit.status;
    }
    // Quit is no stopped station; a fatal end keeps the last state, so that its heartbeat ages.
    if (status == 0) {
        statusFacts.activity = SchedulerActivity::ended;
        publishStatus();
    }
    eventLog.record("Ended (exit status " + std::to_string(status) + ")");
    return status;
}

void Scheduler::fail(SchedulerFailure failure, std::string_view lookupName) {
    const auto fixed = std::find_if(fatalMessages.begin(), fatalMessages.end(),
                                    [failure](const FailureMessage& m) { return m.failure == failure; });
    if (fixed != fatalMessages.end()) {
        endWith(std::string(fixed->text));
    }
    endWith("ERROR: Keplerian data file has no data for " + std::string(lookupName) + ". Cannot continue.");
}

void Scheduler::failUnexpectedly(int errorNumber) {
    endWith("Unexpected error " + formatInteger(errorNumber) + ". Please report to the author.");
}

void Scheduler::endWith(const std::string& message) {
    if (fatalErrorsTo != nullptr) {
        *fatalErrorsTo << message << '\n';
        throw ProgramExit{1};
    }
    showMessage(console.screen, message);
    waitForKey(console, fatalWaitSeconds);
    clearWhiteOnBlack(console.screen);
    throw ProgramExit{fatalExitStatus};
}

void Scheduler::startUp() {
    console.screen.clear();
    constants = schedulerConstants();
    panelView = PanelView::realtime;
    passList = PassListState::stale;
    const auto read = readStationConfig(console.files, StationReader::scheduler);
    if (!read) {
        fail(read.error() == FileFailure::notFound ? SchedulerFailure::stationConfigMissing
                                                   : SchedulerFailure::stationConfigBad);
    }
    station = *read;
    eventLog.setUtcOffsetHours(station.utcOffsetHours);
    settings.backgroundColour = station.backgroundColour;
    settings.foregroundColour = station.foregroundColour;
    settings.highlightColour = station.highlightColour;
    statusFiles = StatusFiles(console.files, station.statusDirectory, "mirados");
}

void Scheduler::readSettings() {
    auto read = readSchedulerSettings(console.files);
    if (!read) {
        fail(read.error() == FileFailure::notFound ? SchedulerFailure::settingsMissing : SchedulerFailure::settingsBad);
    }
    settings = *read;
}

void Scheduler::runCycle() {
    rescheduling = Rescheduling::none;
    readSettings();
    drawScreen();
    if (!jobReport.empty()) {
        showMessage(console.screen, jobReport);
    }
    loadElementSets();
    buildSchedule();
    // The report of the last job outlives the messages of the computation.
    if (!jobReport.empty()) {
        showMessage(console.screen, jobReport);
        jobReport.clear();
    }
    chooseFirstRow();
    if (waitForFirstPass()) {
        runScheduledJob();
    }
}

void Scheduler::drawScreen() {
    Screen& screen = console.screen;
    setNormalColours();
    screen.clear();
    drawProgramFrame(screen, panelDividerColumn, {});
    screen.printAt(2, 3, programBanner);
    screen.printAt(2, 31, "SATELLITE PASS SCHEDULER               by VANTREL");
    screen.printAt(4, 32, "Status: ");
    screen.printAt(6, 3, "        Scheduled passes");
    screen.printAt(7, 3, "Sat      AOS       LOS       El");
    screen.printAt(22, 3, "Mirados commands: Track, Mode, Quit");
    screen.setColours(settings.highlightColour, settings.backgroundColour);
    screen.printAt(22, 21, "T");
    screen.printAt(22, 28, "M");
    screen.printAt(22, 34, "Q");
    setNormalColours();
    showDateTimeLine();
}

void Scheduler::chooseFirstRow() {
    if (settings.overlapRule != OverlapRule::byAos) {
        return;  // the plan left the passes already served out
    }
    const double now = readNow();
    if (isLastJobsPass(schedule[0], now)) {
        schedule[0] = schedule[1];
    }
    forgetPassesOver(now);
    int k = 0;
    while (k < passRowCount && !schedule[k].empty() && alreadyServed(schedule[k])) {
        ++k;
    }
    if (k > 0) {
        schedule[0] = k < passRowCount ? schedule[k] : PassRow{};
    }
}

bool Scheduler::isLastJobsPass(const PassRow& row, double now) const {
    return !lastJobEntry.empty() && lastJobEntry == row.entry && now + servedAosMarginDays > row.aosDay();
}

void Scheduler::forgetPassesOver(double now) {
    // A pass in progress is found again with an AOS at most one search step before the search
    // started, so a served pass cannot be mistaken for a new one once that step has passed too.
    const double stepDays = station.searchStep / minutesPerDay;
    std::erase_if(servedPasses, [&](const ServedPass& served) { return now > served.losDay + stepDays; });
}

void Scheduler::planSchedule() {
    const double now = readNow();
    forgetPassesOver(now);
    std::vector<PassRow> waiting;
    for (const PassRow& row : schedule) {
        if (!row.empty() && !isLastJobsPass(row, now) && !alreadyServed(row)) {
            waiting.push_back(row);
        }
    }
    plan = planPasses(waiting, settings.scheduledEntries, settings.overlapRule, settings.shortestPartMinutes, now);
    schedule = {};
    int n = 0;
    std::erase_if(droppedPasses, [now](const ServedPass& dropped) { return now > dropped.losDay; });
    for (const PlannedPass& planned : plan) {
        if (planned.fate != PassFate::run) {
            eventLog.record(planLogText(plan, planned, settings.shortestPartMinutes));
        }
        // Each later plan drops the same pass again (a pass in progress found with a later AOS):
        // it is counted once.
        const ServedPass pass{planned.pass.entry, planned.pass.aosDay(), planned.pass.losDay()};
        if (planned.fate == PassFate::dropped &&
            std::none_of(droppedPasses.begin(), droppedPasses.end(), [&](const ServedPass& dropped) {
                return dropped.entry == pass.entry && pass.aosDay < dropped.losDay;
            })) {
            droppedPasses.push_back(pass);
            ++statusFacts.passesDropped;
        }
        if (planned.fate != PassFate::dropped) {
            schedule[n++] = planned.part;
        }
    }
    sortPassTable(schedule);
}

const PlannedPass* Scheduler::plannedPassOf(const PassRow& part) const {
    const auto found = std::find_if(plan.begin(), plan.end(), [&](const PlannedPass& planned) {
        return planned.fate != PassFate::dropped && planned.part.entry == part.entry &&
               planned.part.aosUtc == part.aosUtc && planned.part.year == part.year;
    });
    return found != plan.end() ? &*found : nullptr;
}

bool Scheduler::alreadyServed(const PassRow& row) const {
    return std::any_of(servedPasses.begin(), servedPasses.end(), [&](const ServedPass& served) {
        return served.entry == row.entry && row.aosDay() < served.losDay;
    });
}

bool Scheduler::waitForFirstPass() {
    const PassRow& first = schedule[0];
    const bool anyEntry = std::any_of(settings.scheduledEntries.begin(), settings.scheduledEntries.end(),
                                      [](const std::string& entry) { return !entry.empty(); });
    // With nothing to wait for, a new cycle is due once a remembered pass is over.
    double recheckDay = 0;
    if (first.empty() && !servedPasses.empty()) {
        const auto earliest = std::min_element(
            servedPasses.begin(), servedPasses.end(),
            [](const ServedPass& a, const ServedPass& b) { return a.losDay < b.losDay; });
        recheckDay = earliest->losDay + station.searchStep / minutesPerDay;
    }
    // Entries that gave no pass may have one beyond the span their search covered.
    if (first.empty() && anyEntry) {
        const double searchedUntil = readNow() + searchBoundDays;
        recheckDay = recheckDay > 0 ? std::min(recheckDay, searchedUntil) : searchedUntil;
    }
    // Passes the plan dropped fill the schedule's rows: the passes after them are searched once
    // the first of them is over.
    for (const PlannedPass& planned : plan) {
        if (first.empty() && planned.fate == PassFate::dropped) {
            recheckDay = recheckDay > 0 ? std::min(recheckDay, planned.pass.losDay()) : planned.pass.losDay();
        }
    }
    if (first.empty()) {
        eventLog.record(anyEntry ? "No scheduled passes" : "No scheduled satellites");
    } else {
        eventLog.record("Waiting for " + first.entry + ": " +
                        passLogText(first.year, first.aosUtc, first.losUtc, first.maxElevation));
    }
    for (;;) {
        if (first.empty()) {
            showStatus(console.screen, anyEntry ? "No scheduled passes" : "No scheduled satellites");
        } else {
            showStatus(console.screen, "Waiting for " + first.entry);
        }
        clock = readClock(console.clock, station.utcOffsetHours);
        showDateTimeLine();
        showPanel();
        pollKeyboard();
        if (const std::string report = eventLog.takeFailureReport(); !report.empty()) {
            showMessage(console.screen, report);
        }
        publishStatus();
        const double now = readNow();
        console.screen.present();
        console.sleeper.sleepMs(waitRoundMs, true);
        if (rescheduling == Rescheduling::requested) {
            return false;
        }
        if (!first.empty() && now > first.aosDay()) {
            // Only a clock set forward skips a whole pass: its job would run for nothing and
            // its tracker wait for the next pass, which belongs to a later schedule.
            if (now > first.losDay()) {
                ++statusFacts.passesSkippedByClockStep;
                jobReport = "Job " + jobCommandOf(first.entry).fileName() +
                            " not run: clock stepped past the whole pass.";
                return false;
            }
            return true;
        }
        if (first.empty() && recheckDay > 0 && now > recheckDay) {
            return false;
        }
    }
}

void Scheduler::runScheduledJob() {
    const PassRow& first = schedule[0];
    // Under a plan the row is the part of the pass its job has.
    const PlannedPass* planned = plannedPassOf(first);
    const PassRow& pass = planned != nullptr ? planned->pass : first;
    lastJobEntry = first.entry;
    servedPasses.push_back({first.entry, pass.aosDay(), pass.losDay()});
    double limitDays = std::max(0.0, pass.losDay() + jobOverrunDays - readNow());
    std::string endedAtPart;
    if (planned != nullptr && planned->fate == PassFate::cut) {
        ++statusFacts.passesCut;
    }
    if (planned != nullptr && planned->cutAtEnd()) {
        limitDays = std::max(0.0, first.losDay() - readNow());
        endedAtPart = cutJobText(jobCommandOf(first.entry).fileName(), plan, *planned);
    }
    jobReport = runJob(first.entry,
                       "for the pass " + passLogText(pass.year, pass.aosUtc, pass.losUtc, pass.maxElevation),
                       static_cast<std::int64_t>(std::ceil(limitDays * secondsPerDay)), endedAtPart);
}

void Scheduler::pollKeyboard() {
    const std::string key = upperCase(console.keyboard.readKey());
    if (key == "Q") {
        clearWhiteOnBlack(console.screen);
        throw ProgramExit{0};
    }
    if (key == "T") {
        trackTypedSatellite();
    }
    if (key == "M") {
        switchMode();
    }
}

void Scheduler::trackTypedSatellite() {
    static constexpr std::string_view prompt = "Which satellite would you like to track? ";
    Screen& screen = console.screen;
    screen.printAt(24, 3, prompt);
    screen.setCursorVisible(true);
    // The answer ends before the frame.
    const std::string typed = upperCase(readLineWithEcho(console, messageLineWidth - prompt.size()));
    jobReport = runJob(typed, "by the Track key");
    rescheduling = Rescheduling::requested;
}

void Scheduler::switchMode() {
    panelView = panelView == PanelView::realtime ? PanelView::passList : PanelView::realtime;
    passList = PassListState::stale;
    clearPanel();
}

std::string Scheduler::runJob(std::string_view text, std::string_view occasion,
                              std::optional<std::int64_t> limitSeconds, const std::string& endedAtPart) {
    const JobCommand command = jobCommandOf(text);
    const std::string job = "Job " + command.fileName();
    handToJob();
    // The name is looked up as a file of the station directory and never given to a shell as
    // text, so no entry can run anything but a job file there.
    const auto path = isPlainJobName(command.name) ? console.files.find(command.fileName()) : std::nullopt;
    if (!path) {
        // An empty answer to the Track key's question is no job that failed.
        if (!command.name.empty()) {
            countJobEnd(text, JobOutcome::notStarted);
        }
        eventLog.record(job + " not run " + std::string(occasion) + ": no such file");
        return "No job file " + command.fileName();
    }
    std::vector<std::string> argv{"/bin/sh", path->string()};
    argv.insert(argv.end(), command.arguments.begin(), command.arguments.end());
    eventLog.record(job + " started " + std::string(occasion));
    ++statusFacts.jobsStarted;
    statusFacts.activity = SchedulerActivity::jobRunning;
    if (limitSeconds) {
        statusFacts.jobLimit = static_cast<double>(console.clock.epochMillis() / 1000 + *limitSeconds);
    }
    publishStatus();
    // The heartbeat goes on while the job runs, so that a stale one means a stuck scheduler.
    const int status = console.commands.run(argv, limitSeconds, [this] { publishStatus(); });
    statusFacts.activity = SchedulerActivity::waiting;
    statusFacts.jobLimit.reset();
    countJobEnd(text, status == -1                                ? JobOutcome::notStarted
                      : status == CommandProcessor::endedAtLimit ? JobOutcome::endedAtLimit
                                                                 : JobOutcome::exited,
                status);
    if (status == -1) {
        eventLog.record(job + " could not be started");
    } else if (status == CommandProcessor::endedAtLimit) {
        eventLog.record(job + (endedAtPart.empty() ? " ended at its limit, 60 minutes after LOS"
                                                   : " ended at its limit, the end of its part of the pass"));
    } else {
        eventLog.record(job + " ended (exit status " + std::to_string(status) + ")");
    }
    if (status == -1) {
        return "Job " + command.fileName() + " could not be started";
    }
    if (status == CommandProcessor::endedAtLimit) {
        if (!endedAtPart.empty()) {
            return endedAtPart;
        }
        return "Job " + command.fileName() + " ended: still running 60 minutes after LOS.";
    }
    if (status != 0) {
        return "Job " + command.fileName() + " failed (exit status " + std::to_string(status) + ")";
    }
    return {};
}

void Scheduler::handToJob() { clearWhiteOnBlack(console.screen); }

void Scheduler::countJobEnd(std::string_view entry, JobOutcome outcome, int exitStatus) {
    if (outcome == JobOutcome::endedAtLimit) {
        ++statusFacts.jobsEndedAtLimit;
    } else if (outcome == JobOutcome::notStarted || exitStatus != 0) {
        ++statusFacts.jobsFailed;
    }
    statusFacts.lastJob = FinishedJobFacts{std::string(entry), outcome, exitStatus,
                                           static_cast<double>(console.clock.epochMillis()) / 1000};
}

void Scheduler::publishStatus() {
    const std::int64_t millis = console.clock.epochMillis();
    const PassRow& next = schedule[0];
    const std::string state = std::string(activityName(statusFacts.activity)) + " " + next.entry;
    if (!statusFiles.due(millis / 1000, state)) {
        return;
    }
    statusFacts.heartbeat = static_cast<double>(millis) / 1000;
    statusFacts.nextPass.reset();
    if (!next.empty()) {
        statusFacts.nextPass = PlannedPassFacts{next.entry, unixTimeOf(next.year, next.aosUtc),
                                                unixTimeOf(next.year, next.losUtc),
                                                next.maxElevation * constants.degreesPerRadian};
    }
    const auto written = statusFiles.write(millis / 1000, state, formatStatus(statusFacts));
    if (const std::string report = unwritableFiles.report(written.fileName, written.result); !report.empty()) {
        showMessage(console.screen, report);
    }
}

PassSearchSettings Scheduler::searchSettings() const {
    PassSearchSettings search;
    search.minimumElevation = station.minimumElevation;
    search.searchStep = station.searchStep;
    search.utcOffsetHours = station.utcOffsetHours;
    search.boundDays = searchBoundDays;
    search.maximumPrecision = MaximumPrecision::single;
    return search;
}

double Scheduler::readNow() {
    clock = readClock(console.clock, station.utcOffsetHours);
    return continuousDay(clock.year, dayNumberOf(clock));
}

void Scheduler::showDateTimeLine() {
    showDateTime(console.screen, console.clock);
    console.screen.setCursorVisible(false);
}

void Scheduler::setNormalColours() {
    console.screen.setColours(settings.foregroundColour, settings.backgroundColour);
}

}  // namespace station
