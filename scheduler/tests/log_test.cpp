#include "scheduler/tests/rig.hpp"
#include "station/date_time.hpp"
#include "station/pass_text.hpp"
#include "text/testsupport/lines.hpp"

namespace station::testing {
namespace {

// "2026-10-10T06:44:10Z" of the simulated clock (on UTC).
std::string utcText(std::int64_t millis) { return isoUtcText(millis / 1000); }

TEST(SchedulerLog, AJobWithItsPassStartEndAndExitStatus) {
    Rig probe(schedulerConfig({"ISS"}));
    probe.compute();
    const PassRow first = probe.scheduler.schedule[0];
    const PassRow second = probe.scheduler.schedule[1];

    Rig rig(schedulerConfig({"ISS"}));
    rig.dir.write("ISS.BAT", "");
    rig.mc.sleeper.limitMillis = rig.mc.clock.millis + 86400000LL;
    std::int64_t started = 0;
    rig.mc.commands.action = [&](const std::vector<std::string>&) {
        started = rig.mc.clock.millis;
        rig.mc.clock.millis += 600'000;  // the job takes ten minutes
        rig.mc.keyboard.push("q");       // and the operator quits after it
        return 3;
    };
    EXPECT_EQ(rig.scheduler.run(), 0);
    const std::string firstPass = passLogText(2026, first.aosUtc, first.losUtc, first.maxElevation);
    EXPECT_TRUE(firstPass.starts_with("AOS 2026-10-10T06:44:1")) << firstPass;
    std::vector<std::string> lines = linesOf(rig.dir.read("MIRADOS.LOG"));
    ASSERT_EQ(lines.size(), 7u) << rig.dir.read("MIRADOS.LOG");
    // The next pass is searched from the end of the job: its times may lie a fine step apart.
    const std::string next = "Waiting for ISS: AOS " + isoUtcText(2026, second.aosUtc).substr(0, 17);
    EXPECT_TRUE(lines[5].starts_with(utcText(started + 600'000) + " " + next)) << lines[5];
    lines[5] = "(the next pass)";
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "2026-10-10T00:00:00Z MIRADOS 2.0 started",
                         "2026-10-10T00:00:00Z Waiting for ISS: " + firstPass,
                         utcText(started) + " Job ISS.BAT started for the pass " + firstPass,
                         utcText(started + 600'000) + " Job ISS.BAT ended (exit status 3)",
                         utcText(started + 600'000) + " Job ISS.BAT failed (exit status 3)",
                         "(the next pass)",
                         utcText(started + 600'000) + " Ended (exit status 0)",
                     }));
}

TEST(SchedulerLog, TheTrackKeyAJobFileMissingAndTheUtcOffset) {
    // A clock an hour behind UTC (value 17 = 1).
    const std::string values = "52.35\n4.92\n0\n60\n";
    std::string text = ";station\nTEST\nKEPS.TXT\n" + values;
    for (int value = 7; value <= 41; ++value) {
        text += value == 17 ? "1\n" : "0\n";
    }
    Rig rig(schedulerConfig({}));
    rig.dir.write("KELVORIN.CFG", text + "1\n15\n14\n");
    rig.dir.write("SO-50.BAT", "");
    const std::int64_t t0 = rig.mc.clock.millis;
    rig.mc.sleeper.limitMillis = t0 + 60'000;
    for (const auto& [at, typed] : {std::pair{1000, std::string("so-50 now")}, {5000, "AO-99"}}) {
        rig.mc.keyboard.pushAt(t0 + at, "t");
        for (char c : typed) {
            rig.mc.keyboard.pushAt(t0 + at + 100, std::string(1, c));
        }
        rig.mc.keyboard.pushAt(t0 + at + 200, "\r");
    }
    rig.mc.keyboard.pushAt(t0 + 9000, "q");
    EXPECT_EQ(rig.scheduler.run(), 0);
    const std::vector<std::string> lines = linesOf(rig.dir.read("MIRADOS.LOG"));
    ASSERT_EQ(lines.size(), 9u) << rig.dir.read("MIRADOS.LOG");
    EXPECT_EQ(lines[0], "2026-10-10T00:00:00Z MIRADOS 2.0 started");
    EXPECT_EQ(lines[1], "2026-10-10T01:00:00Z No scheduled satellites");
    EXPECT_EQ(lines[2], "2026-10-10T01:00:01Z Job SO-50.BAT started by the Track key");
    EXPECT_EQ(lines[3], "2026-10-10T01:00:01Z Job SO-50.BAT ended (exit status 0)");
    EXPECT_EQ(lines[4], "2026-10-10T01:00:01Z No scheduled satellites");
    EXPECT_EQ(lines[5], "2026-10-10T01:00:05Z Job AO-99.BAT not run by the Track key: no such file");
    EXPECT_EQ(lines[6], "2026-10-10T01:00:05Z No job file AO-99.BAT");
    EXPECT_EQ(lines[7], "2026-10-10T01:00:05Z No scheduled satellites");
    EXPECT_EQ(lines[8], "2026-10-10T01:00:09Z Ended (exit status 0)");
    EXPECT_EQ(rig.mc.commands.ran.at(0).back(), "NOW");
}

}  // namespace
}  // namespace station::testing
