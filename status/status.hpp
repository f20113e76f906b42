#pragma once
// The status files of both programs, for dashboards, alerts and scripts: the facts a program
// fills in once a second, written out as metrics in the text exposition format that a metrics
// collector's text-file reader takes, and as JSON with the same names. Formatting only: the
// program writes the texts where the operator wants them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

// Instants are Unix time in seconds; angles degrees; frequencies hertz; distances metres.

struct DeviceLinkFacts {
    std::string device;       // "rotator", "radio", "gps"
    bool up = false;
    std::uint64_t losses = 0;  // times the link was lost since the start
};

// `ended`: the program ended as asked (Quit, or after its pass), so an old heartbeat is no fault.
enum class TrackerActivity { idle, waiting, tracking, ended };

struct LookFacts {
    double azimuthDegrees = 0;
    double elevationDegrees = 0;
    double rangeMetres = 0;
    double rangeRateMetresPerSecond = 0;  // positive while the satellite moves away
};

struct PointingFacts {
    double azimuthDegrees = 0;
    double elevationDegrees = 0;
};

struct TrackerFacts {
    double heartbeat = 0;  // the last update
    TrackerActivity activity = TrackerActivity::idle;
    std::string satellite;  // empty while idle
    std::optional<double> nextAos;
    std::optional<double> nextLos;
    std::optional<LookFacts> look;          // while the satellite's position is known
    std::optional<PointingFacts> rotator;   // the position last commanded
    std::optional<double> downlinkHertz;    // after Doppler correction, while tracking
    std::optional<double> uplinkHertz;
    std::vector<DeviceLinkFacts> links;     // the devices the station has
    std::uint64_t fileWriteFailures = 0;
    std::optional<double> elementSetAgeSeconds;
    std::string orbitModel;  // "builtin", "sgp4"
};

enum class SchedulerActivity { waiting, jobRunning, ended };

struct PlannedPassFacts {
    std::string entry;
    double aos = 0;
    double los = 0;
    double maximumElevationDegrees = 0;
};

// How a job ended: its exit status when it ran to its end.
enum class JobOutcome { exited, notStarted, endedAtLimit };

struct FinishedJobFacts {
    std::string entry;
    JobOutcome outcome = JobOutcome::exited;
    int exitStatus = 0;  // when it exited
    double endedAt = 0;
};

struct SchedulerFacts {
    double heartbeat = 0;
    SchedulerActivity activity = SchedulerActivity::waiting;
    std::optional<PlannedPassFacts> nextPass;
    // While a job runs: the instant the scheduler ends it if it still runs (none: no limit).
    std::optional<double> jobLimit;
    std::uint64_t jobsStarted = 0;
    std::uint64_t jobsFailed = 0;  // non-zero exit status, not started, no job file
    std::uint64_t jobsEndedAtLimit = 0;
    // Passes whose job did not run as the search found them: the clock was set past them, a plan
    // of the overlap rules dropped them, or gave their job only part of the pass (cut).
    std::uint64_t passesSkippedByClockStep = 0;
    std::uint64_t passesDropped = 0;
    std::uint64_t passesCut = 0;
    std::optional<FinishedJobFacts> lastJob;
};

struct StatusTexts {
    std::string metrics;  // PROGRAM.prom
    std::string json;     // PROGRAM.json
};

StatusTexts formatStatus(const TrackerFacts& facts);
StatusTexts formatStatus(const SchedulerFacts& facts);

// Names the state changes of which are written at once, whatever the second.
std::string_view activityName(TrackerActivity activity);
std::string_view activityName(SchedulerActivity activity);

// Unix time of a UTC day number of `year` (1.0 = 1 January 00:00).
double unixTimeOf(int year, double dayNumber);

}  // namespace station
