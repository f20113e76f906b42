// A clock set while the tracker waits or tracks: the pass is searched again from the new time.
#include "tracker/tests/scenario_fixture.hpp"

namespace station::trackertest {
namespace {

constexpr std::int64_t hourMs = 3'600'000;

class ClockStepTest : public ScenarioTest {
protected:
    // Sets the clock by `stepMs` at the instant `atMs` after the start; the run ends `runOnMs`
    // after the step.
    void stepAt(std::int64_t atMs, std::int64_t stepMs, std::int64_t runOnMs) {
        watch = [this, atMs, stepMs, runOnMs](std::int64_t millis) {
            if (millis == start + atMs && steppedTo == 0) {
                mc.clock.millis += stepMs;
                steppedTo = mc.clock.millis;
                mc.sleeper.limitMillis = steppedTo + runOnMs;
            }
        };
    }
    // Runs from the start until `runOnMs` after the step.
    void run(std::vector<std::string> args) { EXPECT_EQ(runUntil(start + 48 * hourMs, args), -1); }
    std::int64_t steppedTo = 0;
};

TEST_F(ClockStepTest, AnHourBackWhileTrackingEndsTrackingAndAwaitsThePassAgain) {
    // radio.dat is written once a second while tracking, and only then.
    station({{18, "D"}});
    stepAt(5000, -hourMs, 20'000);
    std::string radioDatAtStep;
    const auto step = watch;
    watch = [&](std::int64_t millis) {
        step(millis);
        if (steppedTo != 0 && radioDatAtStep.empty()) {
            radioDatAtStep = dir.read("radio.dat");
            std::filesystem::remove(dir.path() / "radio.dat");
        }
    };
    run({"ISS"});
    // Started in the pass, the tracker neither idles nor waits long enough to be seen doing so.
    EXPECT_EQ(statuses, (std::vector<std::string>{"Tracking ISS", "Waiting for ISS"}));
    EXPECT_EQ(shownAt("Clock stepped back 60 minutes: searching the pass again."), steppedTo + 1);
    // The same pass, an hour ahead of the new time; no Doppler written for it meanwhile.
    EXPECT_NEAR(s.pass.aos, dayNumberOf(2026, 10, 10, 13, 9, 31), 2.0 / 86400);
    EXPECT_FALSE(radioDatAtStep.empty());
    EXPECT_FALSE(dir.exists("radio.dat"));
}

TEST_F(ClockStepTest, ADayForwardWhileWaitingAwaitsThePassOfTheNewDay) {
    station({});
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    start = mc.clock.millis;
    stepAt(5000, 24 * hourMs, 20'000);
    run({"ISS"});
    EXPECT_EQ(statuses, (std::vector<std::string>{"Waiting for ISS"}));
    EXPECT_EQ(shownAt("Clock stepped forward 1440 minutes: searching the pass again."), steppedTo + 1)
        << ::testing::PrintToString(messages);
    EXPECT_GT(s.pass.aos, dayNumberOf(2026, 10, 11, 12, 0, 5));
    EXPECT_LT(s.pass.aos, dayNumberOf(2026, 10, 12, 0, 0, 0));
}

TEST_F(ClockStepTest, ForwardPastTheLosWhileTrackingDoesNotEndTheProgramAfterThePass) {
    station({{34, "1"}});
    stepAt(5000, hourMs / 4, 20'000);
    run({"ISS"});
    EXPECT_EQ(statuses, (std::vector<std::string>{"Tracking ISS", "Waiting for ISS"}));
    EXPECT_EQ(shownAt("Clock stepped forward 15 minutes: searching the pass again."), steppedTo + 1);
    EXPECT_GT(s.pass.aos, dayNumberOf(2026, 10, 10, 14, 0, 0));
}

TEST_F(ClockStepTest, SmallSetsOfTheClockAreNoSteps) {
    station({});
    bool setBack = false;
    watch = [&](std::int64_t millis) {
        if (millis == start + 3000 && !setBack) {
            mc.clock.millis -= 110'000;
            setBack = true;
        }
        if (millis == start + 6000) {
            mc.clock.millis += 590'000;
            mc.sleeper.limitMillis = mc.clock.millis + 5000;
        }
    };
    run({"ISS"});
    EXPECT_EQ(statuses, (std::vector<std::string>{"Tracking ISS", "Waiting for ISS"}));
    EXPECT_EQ(messages, (std::vector<std::pair<std::int64_t, std::string>>{}));
}

// NOAA-18 rises about 00:18 UTC on 1 January 2027.
TEST_F(ClockStepTest, TheTurnOfTheYearIsNoStepButASetBackAcrossItIs) {
    station({});
    dir.write("KELVORIN.FRC", dir.read("KELVORIN.FRC") + "NOAA-18\r\n137912\r\n137912\r\nFM\r\nFM\r\n0\r\n");
    mc.clock.set(2026, 12, 31, 23, 58, 0);
    start = mc.clock.millis;
    std::string newYear;
    stepAt(25 * 60'000, -hourMs, 10'000);
    const auto step = watch;
    watch = [&](std::int64_t millis) {
        if (millis == start + 5 * 60'000 + 1) {
            newYear = mc.screen.rowText(4, 3, 23);
        }
        step(millis);
    };
    run({"NOAA-18"});
    EXPECT_EQ(newYear, " 1-JAN-2027  00:03:00");
    EXPECT_EQ(statuses,
              (std::vector<std::string>{"Waiting for NOAA-18", "Tracking NOAA-18", "Waiting for NOAA-18"}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], std::make_pair(steppedTo + 1, std::string("Clock stepped back 60 minutes: searching "
                                                                      "the pass again.")));
    EXPECT_EQ(s.pass.year, 2026);  // searched from 31 December again
}

}  // namespace
}  // namespace station::trackertest
