#pragma once
// The pass scheduler `mirados`: it computes the schedule of coming passes of its scheduled
// entries, waits for the first one while showing the watched satellites, runs that entry's job
// file at AOS and then schedules again.
#include "config/station.hpp"
#include "console/console.hpp"
#include "console/program_exit.hpp"
#include "console/event_log.hpp"
#include "console/unwritable_files.hpp"
#include "orbit/constants.hpp"
#include "orbit/elements.hpp"
#include "orbit/orbit_model.hpp"
#include "orbit/pass.hpp"
#include "orbit/propagation.hpp"
#include "scheduler/plan.hpp"
#include "scheduler/schedule.hpp"
#include "config/scheduler_settings.hpp"
#include "station/date_time.hpp"
#include "station/screen_layout.hpp"
#include "station/search_display.hpp"
#include "station/status_files.hpp"
#include "status/status.hpp"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

// The version, shown in the banner of the screen and by --version.
inline constexpr std::string_view schedulerVersion = "2.0";
inline const std::string programBanner = "MIRADOS " + std::string(schedulerVersion);

// A job and its arguments: the text up to the first blank names the job, the other words are
// handed to it. The job file is the name followed by ".BAT".
struct JobCommand {
    std::string name;
    std::vector<std::string> arguments;
    std::string fileName() const { return name + ".BAT"; }
};
JobCommand jobCommandOf(std::string_view text);
// A name that can only mean a file in the station directory: not empty, no "/", no control
// characters.
bool isPlainJobName(std::string_view name);

// The Track key's job asks for a new schedule once the wait notices it.
enum class Rescheduling { none, requested };
// What the right-hand panel shows; the Mode key switches between the two.
enum class PanelView { realtime, passList };
// The non-scheduled pass list is rebuilt before it is shown when stale.
enum class PassListState { current, stale };

// A pass whose job has run; remembered until the pass is over.
struct ServedPass {
    std::string entry;
    double aosDay = 0;  // continuous days
    double losDay = 0;
};

// One row of the real-time view: a non-scheduled entry and where its satellite is now, or why
// the model has no position for it.
struct RealtimeRow {
    int screenRow = 0;
    std::string entry;
    bool elementsOutOfDate = false;     // the element year is more than a year off the clock's
    Sgp4Error error = Sgp4Error::none;  // none: the values below hold
    bool errorIsNew = false;            // the message line has not said this error yet
    double azimuthDegrees = 0;
    double elevationDegrees = 0;
    double rangeKm = 0;
    bool aboveHorizon = false;  // the geometric horizon, not the station's minimum
    bool rose = false;          // above it since the last view: one beep
};
using RealtimeView = std::vector<RealtimeRow>;

// What ends the scheduler: every failure is fatal.
enum class SchedulerFailure {
    stationConfigMissing,
    stationConfigBad,
    settingsMissing,
    settingsBad,
    elementFileMissing,
    elementFileBad,
    satelliteMissing,  // an entry's satellite has no element set
};

class Scheduler {
public:
    explicit Scheduler(Console& console);

    // Start-up and scheduling cycles until the Quit key or a fatal error; the exit status.
    // Meanwhile every message shown, every job and its pass go to MIRADOS.LOG.
    int run();
    // Every failure is fatal: its message (one naming `lookupName` for a missing satellite), a key
    // or a minute, white on black, cleared screen, exit status 1; or, with fatalErrorsTo set, the
    // message there and the end with status 1.
    [[noreturn]] void fail(SchedulerFailure failure, std::string_view lookupName = {});
    // A failure no operation reported, by its run-time error number.
    [[noreturn]] void failUnexpectedly(int errorNumber);

    // The steps of start-up and of one cycle, in the order run() takes them.
    void startUp();
    // MIRADOS.CFG, read again at the start of every cycle.
    void readSettings();
    void runCycle();
    void drawScreen();
    void loadElementSets();
    void buildSchedule();
    // Under overlap rules 1 and 2: plans the passes not yet served, logs its cuts and drops and
    // makes the schedule the parts that get a job, in the order they start.
    void planSchedule();
    void showSchedule();
    // Drops the passes already served: row 1 becomes the first pass whose job has not run.
    void chooseFirstRow();
    // Waits for row 1's AOS; true when its job is due (false after Track, a recheck, or a clock
    // set past the whole pass).
    bool waitForFirstPass();
    void runScheduledJob();

    // One wait round's keys; Q ends the program.
    void pollKeyboard();
    void trackTypedSatellite();
    void switchMode();

    // The right-hand panel (real-time view or non-scheduled passes list). The real-time view is
    // computed first (orbits sampled, the slots' rise and error state moved on), then drawn.
    void showPanel();
    void showRealtimeView();
    RealtimeView computeRealtimeView();
    void drawRealtimeView(const RealtimeView& view);
    void showNonScheduledPasses();
    void buildNonScheduledTable();
    void clearPanel();

    // Finds and runs a job file, ended when it runs past the limit (seconds) when one is given;
    // returns the report for the message line ("" when it ran well). `occasion` tells the log why
    // it runs: the pass, or the Track key. `endedAtPart` is the report of a job ended at its limit
    // because its part of the pass is over ("" for the limit after LOS).
    std::string runJob(std::string_view text, std::string_view occasion,
                       std::optional<std::int64_t> limitSeconds = std::nullopt,
                       const std::string& endedAtPart = {});

    Console& console;
    OrbitConstants constants = schedulerConstants();
    Station station;
    SchedulerSettings settings;
    ClockTime clock;  // the last clock reading (moved on by pass searches)
    SatelliteState satellite;
    SlotList scheduledSlots;
    SlotList nonScheduledSlots;
    PassTable schedule;
    PassTable nonScheduledTable;
    PassPlan plan;  // the last cycle's, under overlap rules 1 and 2; empty under rule 0
    std::vector<LeftOutEntry> leftOut;  // of the last table built

    std::string lastJobEntry;
    Rescheduling rescheduling = Rescheduling::none;
    PanelView panelView = PanelView::realtime;
    PassListState passList = PassListState::stale;
    std::vector<ServedPass> servedPasses;
    std::string jobReport;  // shown on the message line after the next redraw

    // A search gives up on an entry after this many days without a pass above the minimum.
    double searchBoundDays = PassSearchSettings{}.boundDays;

    EventLog eventLog;
    // The status files: the counters and the last job kept here, the rest filled when written.
    SchedulerFacts statusFacts;
    std::vector<ServedPass> droppedPasses;  // dropped by a plan and counted, until they are over
    StatusFiles statusFiles;
    UnwritableFiles unwritableFiles;
    // Set when the scheduler runs without a screen (the pass list): where fatal messages go.
    std::ostream* fatalErrorsTo = nullptr;

    // The pass search of the schedule from the clock, which it moves on to the LOS.
    PassPrediction searchPass(SatelliteOrbit& orbit);
    // True when the pass counts for the schedule: its maximum above MIRADOS.CFG's minimum.
    bool clearsMinimum(const PassPrediction& pass) const;

private:
    PassTable buildPassTable(const EntryList& entries, SlotList& slots);
    void loadSlots(const EntryList& entries, SlotList& slots);
    PassSearchSettings searchSettings() const;
    // Now, as a continuous day, from a fresh clock reading.
    double readNow();
    void showDateTimeLine();
    void setNormalColours();
    void handToJob();
    // The pass of the entry whose job just ran, starting before now plus a margin: that job's.
    bool isLastJobsPass(const PassRow& row, double now) const;
    void forgetPassesOver(double now);
    bool alreadyServed(const PassRow& row) const;
    // The plan's pass of a part in the schedule, if the schedule was planned.
    const PlannedPass* plannedPassOf(const PassRow& part) const;
    // The status files, when due: once a second and at a change of state.
    void publishStatus();
    void countJobEnd(std::string_view entry, JobOutcome outcome, int exitStatus = 0);

    [[noreturn]] void endWith(const std::string& message);

    ScreenPassSearchDisplay display_;
};

}  // namespace station
