#include "tracker_fixture.hpp"
#include "text/testsupport/lines.hpp"

#include <filesystem>

namespace station::trackertest {
namespace {

using station::testing::linesOf;

// ISS over the test station on 10 October 2026 from about 13:09:31 to 13:19:40 UTC; the memory
// clock runs on UTC.
class TrackerLogTest : public TrackerTest {
protected:
    void SetUp() override {
        dir.copyDemo("KEPS.TXT");
        dir.copyDemo("KELVORIN.FRC");
        dir.write("KVFLIP.DAT", " 0 \r\n");
        // No rotator or radio port: the pass writes no device files.
        dir.write("KELVORIN.CFG", stationConfig({{14, "1"}, {18, "Y"}, {34, "1"}}));
        mc.clock.set(2026, 10, 10, 13, 5, 0);
    }
    std::vector<std::string> logLines() const { return linesOf(dir.read("KELVORIN.LOG")); }
};

TEST_F(TrackerLogTest, APassFromSelectionToLos) {
    std::string shownAos;
    mc.sleeper.onTime = [&](std::int64_t) { shownAos = mc.screen.rowText(12, 56, 68); };
    EXPECT_EQ(runUntil(mc.clock.millis + 3'600'000, {"iss"}), 0);
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "2026-10-10T13:05:00Z KELVORIN 4.1 dev started: command line iss",
                              "2026-10-10T13:05:00Z Satellite ISS selected (command line)",
                              "2026-10-10T13:05:00Z Pass of ISS: AOS 2026-10-10T13:09:31Z, LOS 2026-10-10T13:19:40Z, "
                              "maximum elevation 20.9 degrees, azimuth 281 to 148",
                              "2026-10-10T13:05:00Z Waiting for ISS",
                              "2026-10-10T13:07:32Z Tracking ISS",
                              "2026-10-10T13:19:41Z LOS of ISS: end of pass",
                              "2026-10-10T13:19:41Z Ended (exit status 0)",
                          }));
    // The screen showed the same pass.
    EXPECT_EQ(shownAos, "AOS: 13:09:31");
}

TEST_F(TrackerLogTest, TimesAreUtcByValue17AndMessagesAreLogged) {
    // A clock two hours ahead of UTC, and no frequency file.
    dir.write("KELVORIN.CFG", stationConfig({{14, "1"}, {17, "-2"}, {18, "Y"}, {34, "1"}}));
    std::filesystem::remove(dir.path() / "KELVORIN.FRC");
    mc.clock.set(2026, 10, 10, 15, 5, 0);
    EXPECT_EQ(runUntil(mc.clock.millis + 60'000, {"iss"}), -1);
    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 5u);
    // Until KELVORIN.CFG is read the offset is not known.
    EXPECT_EQ(lines[0], "2026-10-10T15:05:00Z KELVORIN 4.1 dev started: command line iss");
    EXPECT_EQ(lines[1], "2026-10-10T13:05:00Z Satellite ISS selected (command line)");
    EXPECT_TRUE(lines[2].starts_with("2026-10-10T13:05:00Z Pass of ISS: AOS 2026-10-10T13:09:31Z")) << lines[2];
    EXPECT_EQ(lines[3], "2026-10-10T13:05:00Z Could not find KELVORIN.FRC file. Showing Doppler PPM.");
    EXPECT_EQ(lines[4], "2026-10-10T13:05:02Z Waiting for ISS");
}

TEST_F(TrackerLogTest, AutomaticSelectionIdlingAndASatelliteChangedWhileWaiting) {
    dir.write("KELVORIN.CMD", "NONE\r\n");
    const std::int64_t start = mc.clock.millis;
    mc.sleeper.onTime = [&](std::int64_t millis) {
        if (millis == start + 10'000) {
            dir.write("KELVORIN.CMD", "iss\r\n");
        }
        if (millis == start + 60'000) {
            dir.write("KELVORIN.CMD", "SO-50\r\n");
        }
    };
    EXPECT_EQ(runUntil(start + 90'000), -1);
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 8u) << dir.read("KELVORIN.LOG");
    EXPECT_EQ(lines[0], "2026-10-10T13:05:00Z KELVORIN 4.1 dev started");
    EXPECT_EQ(lines[1], "2026-10-10T13:05:00Z Idling");
    EXPECT_EQ(lines[2], "2026-10-10T13:05:10Z Satellite ISS selected (KELVORIN.CMD)");
    EXPECT_TRUE(lines[3].starts_with("2026-10-10T13:05:10Z Pass of ISS: ")) << lines[3];
    EXPECT_EQ(lines[4], "2026-10-10T13:05:10Z Waiting for ISS");
    // The wait ends without tracking: no Tracking, no LOS.
    EXPECT_EQ(lines[5], "2026-10-10T13:06:00Z Satellite SO-50 selected (KELVORIN.CMD)");
    EXPECT_TRUE(lines[6].starts_with("2026-10-10T13:06:00Z Pass of SO-50: ")) << lines[6];
    EXPECT_EQ(lines[7], "2026-10-10T13:06:00Z Waiting for SO-50");
}

TEST_F(TrackerLogTest, RetryMessagesEveryTwoSecondsAreCountedNotLoggedEachTime) {
    // Automatic selection without a command file: two retry messages take turns every two seconds.
    EXPECT_EQ(runUntil(mc.clock.millis + 11 * 60'000), -1);
    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
              (std::vector<std::string>{
                  "2026-10-10T13:05:00Z KELVORIN 4.1 dev started",
                  "2026-10-10T13:05:00Z Could not find command file. I'm trying again...",
                  "2026-10-10T13:05:02Z Command file unaccessible at this moment. I'm trying again...",
                  "2026-10-10T13:05:04Z Idling",
              }));
    // The two lines after Idling, then one line each ten minutes later.
    ASSERT_EQ(lines.size(), 8u) << dir.read("KELVORIN.LOG");
    EXPECT_TRUE(lines[6].starts_with("2026-10-10T13:15:04Z Shown 150 more times since 2026-10-10T13:05:04Z: "
                                     "Could not find command file."))
        << lines[6];
}

TEST_F(TrackerLogTest, AFatalEndIsLoggedWithItsMessage) {
    std::filesystem::remove(dir.path() / "KELVORIN.CFG");
    mc.keyboard.pushAt(mc.clock.millis + 5000, " ");
    const int status = runUntil(mc.clock.millis + 60'000);
    EXPECT_GE(status, 0);
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "2026-10-10T13:05:00Z KELVORIN 4.1 dev started",
                              "2026-10-10T13:05:00Z ERROR: Could not find configuration file! Cannot continue.",
                              "2026-10-10T13:05:05Z Ended (exit status " + std::to_string(status) + ")",
                          }));
}

TEST_F(TrackerLogTest, ALogThatCannotBeWrittenIsShownOnceAndThePassGoesOn) {
    std::filesystem::create_directory(dir.path() / "KELVORIN.LOG");
    const std::string report = "Log KELVORIN.LOG not written (Is a directory); trying again later.";
    int shown = 0;
    bool wasShown = false;
    mc.sleeper.onTime = [&](std::int64_t) {
        const bool showing = messageLine().find(report) != std::string::npos;
        shown += showing && !wasShown;
        wasShown = showing;
    };
    EXPECT_EQ(runUntil(mc.clock.millis + 3'600'000, {"iss"}), 0);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(s.pass.found);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "KELVORIN.LOG"));
}

}  // namespace
}  // namespace station::trackertest
