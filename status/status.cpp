#include "status/status.hpp"

#include "orbit/time_base.hpp"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <utility>

namespace station {

namespace {

using Json = nlohmann::ordered_json;

constexpr double secondsPerDay = 86400;
// 1 January 2000 00:00 UTC, day 1.0 of the continuous scale.
constexpr double unixTimeOfContinuousDayOne = 946684800;

struct Family {
    std::string_view name;
    std::string_view type;  // "gauge" or "counter"
    std::string_view help;
};

using Labels = std::vector<std::pair<std::string_view, std::string_view>>;

// Label values must be UTF-8, and a satellite's name comes from a downloaded file: a byte that
// starts no valid sequence becomes the replacement character rather than spoiling the whole file
// for the collector.
std::string validUtf8(std::string_view value) {
    std::string text;
    std::size_t i = 0;
    while (i < value.size()) {
        const auto lead = static_cast<unsigned char>(value[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                                  : (lead >> 3) == 0x1E ? 4 : 0;
        bool valid = length > 0 && i + length <= value.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(value[i + k]) & 0xC0) == 0x80;
        }
        if (valid) {
            text.append(value.substr(i, length));
            i += length;
        } else {
            text += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return text;
}

// A label value is quoted: its backslashes, double quotes and line ends must be escaped.
std::string escapedLabelValue(std::string_view value) {
    std::string text;
    for (const char c : validUtf8(value)) {
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '"') {
            text += "\\\"";
        } else if (c == '\n') {
            text += "\\n";
        } else {
            text += c;
        }
    }
    return text;
}

// Shortest text that reads back as the same double, whatever the locale.
std::string numberText(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "+Inf" : "-Inf";
    }
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// The exposition text: each family's HELP and TYPE once, before its first sample, and every
// sample of a family right after them, as the format requires. A family without samples is left
// out rather than announced empty.
class Exposition {
public:
    void add(const Family& family, const Labels& labels, double value) {
        if (family.name != current_) {
            text_ += "# HELP " + std::string(family.name) + " " + std::string(family.help) + "\n";
            text_ += "# TYPE " + std::string(family.name) + " " + std::string(family.type) + "\n";
            current_ = family.name;
        }
        text_ += family.name;
        if (!labels.empty()) {
            text_ += '{';
            for (std::size_t i = 0; i < labels.size(); ++i) {
                text_ += (i > 0 ? "," : "") + std::string(labels[i].first) + "=\"" +
                         escapedLabelValue(labels[i].second) + "\"";
            }
            text_ += '}';
        }
        text_ += " " + numberText(value) + "\n";
    }
    void add(const Family& family, double value) { add(family, {}, value); }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
    std::string_view current_;
};

Json optionalNumber(const std::optional<double>& value) { return value ? Json(*value) : Json(nullptr); }

namespace tracker {
constexpr Family heartbeat{"kelvorin_heartbeat_timestamp_seconds", "gauge",
                           "Unix time of the tracker's last once-a-second update."};
constexpr Family state{"kelvorin_state", "gauge", "1 for the tracker's present state (idle, waiting, tracking, ended), else 0."};
constexpr Family satellite{"kelvorin_satellite_info", "gauge", "The satellite chosen, as its label."};
constexpr Family nextAos{"kelvorin_next_aos_timestamp_seconds", "gauge", "Unix time of the next or present pass's AOS."};
constexpr Family nextLos{"kelvorin_next_los_timestamp_seconds", "gauge", "Unix time of the next or present pass's LOS."};
constexpr Family azimuth{"kelvorin_satellite_azimuth_degrees", "gauge", "Azimuth of the satellite from the station."};
constexpr Family elevation{"kelvorin_satellite_elevation_degrees", "gauge", "Elevation of the satellite."};
constexpr Family range{"kelvorin_satellite_range_metres", "gauge", "Distance from the station to the satellite."};
constexpr Family rangeRate{"kelvorin_satellite_range_rate_metres_per_second", "gauge",
                           "Rate of change of the range, positive while the satellite moves away."};
constexpr Family rotatorAzimuth{"kelvorin_rotator_azimuth_degrees", "gauge", "Azimuth last commanded to the rotator."};
constexpr Family rotatorElevation{"kelvorin_rotator_elevation_degrees", "gauge",
                                  "Elevation last commanded to the rotator."};
constexpr Family downlink{"kelvorin_downlink_hertz", "gauge", "Receive frequency after Doppler correction."};
constexpr Family uplink{"kelvorin_uplink_hertz", "gauge", "Transmit frequency after Doppler correction."};
constexpr Family linkUp{"kelvorin_device_link_up", "gauge", "1 while the link to the device works, else 0."};
constexpr Family linkLosses{"kelvorin_device_link_losses_total", "counter", "Times the link to the device was lost."};
constexpr Family writeFailures{"kelvorin_file_write_failures_total", "counter", "Station files that could not be written."};
constexpr Family elementAge{"kelvorin_element_set_age_seconds", "gauge", "Age of the satellite's element set."};
constexpr Family orbitModel{"kelvorin_orbit_model_info", "gauge", "The orbit model in use, as its label."};
}  // namespace tracker

namespace scheduler {
constexpr Family heartbeat{"mirados_heartbeat_timestamp_seconds", "gauge",
                           "Unix time of the scheduler's last update, made each second while a job runs too."};
constexpr Family state{"mirados_state", "gauge", "1 for the scheduler's present state (waiting, job_running, ended), else 0."};
constexpr Family jobLimit{"mirados_job_limit_timestamp_seconds", "gauge",
                          "While a job runs: Unix time at which the scheduler ends it (+Inf: no limit)."};
constexpr Family nextAos{"mirados_next_pass_aos_timestamp_seconds", "gauge", "Unix time of the next pass's AOS."};
constexpr Family nextLos{"mirados_next_pass_los_timestamp_seconds", "gauge", "Unix time of the next pass's LOS."};
constexpr Family nextElevation{"mirados_next_pass_maximum_elevation_degrees", "gauge",
                               "Maximum elevation of the next pass."};
constexpr Family started{"mirados_jobs_started_total", "counter", "Jobs started."};
constexpr Family failed{"mirados_jobs_failed_total", "counter",
                        "Jobs that failed: non-zero exit status, not started or no job file."};
constexpr Family endedAtLimit{"mirados_jobs_ended_at_limit_total", "counter",
                              "Jobs ended because they still ran 60 minutes after LOS."};
constexpr Family notRun{"mirados_passes_not_run_total", "counter",
                        "Passes whose job did not run as planned, by reason (clock_step, dropped, cut)."};
constexpr Family lastStatus{"mirados_last_job_exit_status", "gauge",
                            "Exit status of the last job (-1: not started, -2: ended at its limit)."};
constexpr Family lastEnd{"mirados_last_job_end_timestamp_seconds", "gauge", "Unix time the last job ended."};
}  // namespace scheduler

constexpr std::string_view trackerActivities[] = {"idle", "waiting", "tracking", "ended"};
constexpr std::string_view schedulerActivities[] = {"waiting", "job_running", "ended"};

int exitStatusOf(const FinishedJobFacts& job) {
    switch (job.outcome) {
    case JobOutcome::notStarted:
        return -1;
    case JobOutcome::endedAtLimit:
        return -2;
    case JobOutcome::exited:
        break;
    }
    return job.exitStatus;
}

std::string_view outcomeName(JobOutcome outcome) {
    switch (outcome) {
    case JobOutcome::notStarted:
        return "not_started";
    case JobOutcome::endedAtLimit:
        return "ended_at_limit";
    case JobOutcome::exited:
        break;
    }
    return "exited";
}

}  // namespace

std::string_view activityName(TrackerActivity activity) { return trackerActivities[static_cast<int>(activity)]; }
std::string_view activityName(SchedulerActivity activity) {
    return schedulerActivities[static_cast<int>(activity)];
}

double unixTimeOf(int year, double dayNumber) {
    return (continuousDay(year, dayNumber) - 1.0) * secondsPerDay + unixTimeOfContinuousDayOne;
}

StatusTexts formatStatus(const TrackerFacts& f) {
    namespace m = tracker;
    Exposition out;
    out.add(m::heartbeat, f.heartbeat);
    for (const std::string_view name : trackerActivities) {
        out.add(m::state, {{"state", name}}, name == activityName(f.activity) ? 1 : 0);
    }
    const Labels satellite{{"satellite", f.satellite}};
    if (!f.satellite.empty()) {
        out.add(m::satellite, satellite, 1);
    }
    if (f.nextAos) {
        out.add(m::nextAos, satellite, *f.nextAos);
    }
    if (f.nextLos) {
        out.add(m::nextLos, satellite, *f.nextLos);
    }
    if (f.look) {
        out.add(m::azimuth, satellite, f.look->azimuthDegrees);
        out.add(m::elevation, satellite, f.look->elevationDegrees);
        out.add(m::range, satellite, f.look->rangeMetres);
        out.add(m::rangeRate, satellite, f.look->rangeRateMetresPerSecond);
    }
    if (f.rotator) {
        out.add(m::rotatorAzimuth, f.rotator->azimuthDegrees);
        out.add(m::rotatorElevation, f.rotator->elevationDegrees);
    }
    if (f.downlinkHertz) {
        out.add(m::downlink, satellite, *f.downlinkHertz);
    }
    if (f.uplinkHertz) {
        out.add(m::uplink, satellite, *f.uplinkHertz);
    }
    for (const DeviceLinkFacts& link : f.links) {
        out.add(m::linkUp, {{"device", link.device}}, link.up ? 1 : 0);
    }
    for (const DeviceLinkFacts& link : f.links) {
        out.add(m::linkLosses, {{"device", link.device}}, static_cast<double>(link.losses));
    }
    out.add(m::writeFailures, static_cast<double>(f.fileWriteFailures));
    if (f.elementSetAgeSeconds) {
        out.add(m::elementAge, satellite, *f.elementSetAgeSeconds);
    }
    out.add(m::orbitModel, {{"model", f.orbitModel}}, 1);

    Json json{{"program", "kelvorin"},
              {"heartbeat_timestamp_seconds", f.heartbeat},
              {"state", activityName(f.activity)},
              {"satellite", f.satellite.empty() ? Json(nullptr) : Json(validUtf8(f.satellite))},
              {"next_aos_timestamp_seconds", optionalNumber(f.nextAos)},
              {"next_los_timestamp_seconds", optionalNumber(f.nextLos)}};
    json["satellite_position"] =
        f.look ? Json{{"azimuth_degrees", f.look->azimuthDegrees},
                      {"elevation_degrees", f.look->elevationDegrees},
                      {"range_metres", f.look->rangeMetres},
                      {"range_rate_metres_per_second", f.look->rangeRateMetresPerSecond}}
               : Json(nullptr);
    json["rotator"] = f.rotator ? Json{{"azimuth_degrees", f.rotator->azimuthDegrees},
                                       {"elevation_degrees", f.rotator->elevationDegrees}}
                                : Json(nullptr);
    json["downlink_hertz"] = optionalNumber(f.downlinkHertz);
    json["uplink_hertz"] = optionalNumber(f.uplinkHertz);
    json["device_links"] = Json::object();
    for (const DeviceLinkFacts& link : f.links) {
        json["device_links"][link.device] = {{"up", link.up}, {"losses_total", link.losses}};
    }
    json["file_write_failures_total"] = f.fileWriteFailures;
    json["element_set_age_seconds"] = optionalNumber(f.elementSetAgeSeconds);
    json["orbit_model"] = f.orbitModel;
    return {out.take(), json.dump(2) + "\n"};
}

StatusTexts formatStatus(const SchedulerFacts& f) {
    namespace m = scheduler;
    Exposition out;
    out.add(m::heartbeat, f.heartbeat);
    for (const std::string_view name : schedulerActivities) {
        out.add(m::state, {{"state", name}}, name == activityName(f.activity) ? 1 : 0);
    }
    if (f.activity == SchedulerActivity::jobRunning) {
        out.add(m::jobLimit, f.jobLimit ? *f.jobLimit : HUGE_VAL);
    }
    if (f.nextPass) {
        const Labels entry{{"entry", f.nextPass->entry}};
        out.add(m::nextAos, entry, f.nextPass->aos);
        out.add(m::nextLos, entry, f.nextPass->los);
        out.add(m::nextElevation, entry, f.nextPass->maximumElevationDegrees);
    }
    out.add(m::started, static_cast<double>(f.jobsStarted));
    out.add(m::failed, static_cast<double>(f.jobsFailed));
    out.add(m::endedAtLimit, static_cast<double>(f.jobsEndedAtLimit));
    out.add(m::notRun, {{"reason", "clock_step"}}, static_cast<double>(f.passesSkippedByClockStep));
    out.add(m::notRun, {{"reason", "dropped"}}, static_cast<double>(f.passesDropped));
    out.add(m::notRun, {{"reason", "cut"}}, static_cast<double>(f.passesCut));
    if (f.lastJob) {
        const Labels entry{{"entry", f.lastJob->entry}};
        out.add(m::lastStatus, entry, exitStatusOf(*f.lastJob));
        out.add(m::lastEnd, entry, f.lastJob->endedAt);
    }

    Json json{{"program", "mirados"},
              {"heartbeat_timestamp_seconds", f.heartbeat},
              {"state", activityName(f.activity)},
              {"job_limit_timestamp_seconds", optionalNumber(f.jobLimit)}};
    json["next_pass"] = f.nextPass ? Json{{"entry", validUtf8(f.nextPass->entry)},
                                          {"aos_timestamp_seconds", f.nextPass->aos},
                                          {"los_timestamp_seconds", f.nextPass->los},
                                          {"maximum_elevation_degrees", f.nextPass->maximumElevationDegrees}}
                                   : Json(nullptr);
    json["jobs_started_total"] = f.jobsStarted;
    json["jobs_failed_total"] = f.jobsFailed;
    json["jobs_ended_at_limit_total"] = f.jobsEndedAtLimit;
    json["passes_not_run_total"] = {
        {"clock_step", f.passesSkippedByClockStep}, {"dropped", f.passesDropped}, {"cut", f.passesCut}};
    json["last_job"] = f.lastJob ? Json{{"entry", validUtf8(f.lastJob->entry)},
                                        {"outcome", outcomeName(f.lastJob->outcome)},
                                        {"exit_status", exitStatusOf(*f.lastJob)},
                                        {"end_timestamp_seconds", f.lastJob->endedAt}}
                                 : Json(nullptr);
    return {out.take(), json.dump(2) + "\n"};
}

}  // namespace station
