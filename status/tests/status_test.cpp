#include "status/status.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <regex>
#include <sstream>

namespace station {
namespace {

// The rules a collector enforces: a family's HELP and TYPE once each, before its samples, which
// stand together; snake-case names with the program's prefix; counters named _total. Returns
// the samples by their whole name with labels.
std::map<std::string, std::string> samplesOf(const std::string& text, const std::string& prefix) {
    const std::regex sample("(" + prefix + "_[a-z0-9_]+)(\\{.*\\})? (\\S+)");
    const std::regex comment("# (HELP|TYPE) (" + prefix + "_[a-z0-9_]+) (.+)");
    std::map<std::string, std::string> samples;
    std::map<std::string, int> announced;
    std::string current;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_match(line, m, comment)) {
            EXPECT_EQ(++announced[m[2].str() + m[1].str()], 1) << line;
            current = m[2];
            if (m[1] == "TYPE") {
                EXPECT_EQ(m[3] == "counter", current.ends_with("_total")) << line;
            }
        } else {
            if (std::regex_match(line, m, sample)) {
                EXPECT_EQ(m[1], current) << line;
                samples[m[1].str() + m[2].str()] = m[3];
            } else {
                ADD_FAILURE() << "not a sample: " << line;
            }
        }
    }
    return samples;
}

TEST(StatusFiles, TrackerMetricsAndJsonTellTheSameFacts) {
    TrackerFacts f;
    f.heartbeat = 1790000000.25;
    f.activity = TrackerActivity::tracking;
    f.satellite = "A\"B\\C\nD\xFF";
    f.nextAos = 1790000100;
    f.look = LookFacts{123.5, 45.25, 1234500, -6789.5};
    f.downlinkHertz = 145800012.5;
    f.links = {{"rotator", true, 0}, {"gps", false, 3}};
    const StatusTexts texts = formatStatus(f);
    auto samples = samplesOf(texts.metrics, "kelvorin");
    const std::string satellite = R"({satellite="A\"B\\C\nD)" "\xEF\xBF\xBD\"}";
    EXPECT_EQ(samples["kelvorin_satellite_azimuth_degrees" + satellite], "123.5");
    EXPECT_EQ(samples["kelvorin_satellite_range_rate_metres_per_second" + satellite], "-6789.5");
    EXPECT_EQ(samples["kelvorin_state{state=\"tracking\"}"], "1");
    EXPECT_EQ(samples["kelvorin_device_link_losses_total{device=\"gps\"}"], "3");
    EXPECT_EQ(samples.count("kelvorin_next_los_timestamp_seconds" + satellite), 0u);  // unknown: left out

    const auto json = nlohmann::json::parse(texts.json);
    EXPECT_EQ(json["satellite"], "A\"B\\C\nD\xEF\xBF\xBD");
    EXPECT_EQ(json["satellite_position"]["elevation_degrees"], 45.25);
    EXPECT_EQ(json["downlink_hertz"], 145800012.5);
    EXPECT_TRUE(json["next_los_timestamp_seconds"].is_null());
}

TEST(StatusFiles, SchedulerJobLimitCountersAndLastJob) {
    SchedulerFacts f;
    f.activity = SchedulerActivity::jobRunning;  // a job of the Track key: no limit
    f.passesSkippedByClockStep = 2;
    f.lastJob = FinishedJobFacts{"ISS~2", JobOutcome::endedAtLimit, 0, 1790000000};
    auto samples = samplesOf(formatStatus(f).metrics, "mirados");
    EXPECT_EQ(samples["mirados_job_limit_timestamp_seconds"], "+Inf");
    EXPECT_EQ(samples["mirados_passes_not_run_total{reason=\"clock_step\"}"], "2");
    EXPECT_EQ(samples["mirados_last_job_exit_status{entry=\"ISS~2\"}"], "-2");

    f.activity = SchedulerActivity::waiting;
    const StatusTexts texts = formatStatus(f);
    EXPECT_EQ(samplesOf(texts.metrics, "mirados").count("mirados_job_limit_timestamp_seconds"), 0u);
    EXPECT_EQ(nlohmann::json::parse(texts.json)["last_job"]["outcome"], "ended_at_limit");
    EXPECT_EQ(unixTimeOf(2026, 1.5), 1767225600 + 43200);  // 1 January 2026 12:00 UTC
}

}  // namespace
}  // namespace station
