#include "scheduler/tests/rig.hpp"

#include <set>

namespace station::testing {
namespace {

struct StopRun {};

// The job file name of each run (as found), its arguments and the simulated time it started.
struct Jobs {
    std::vector<std::string> names;
    std::vector<std::int64_t> millis;
    // Each job takes `durationMs` and returns `status`; the run ends at job number `stopAt`.
    void record(Rig& rig, std::size_t stopAt, std::int64_t durationMs = 0, int status = 0) {
        rig.mc.sleeper.limitMillis = rig.mc.clock.millis + 2 * 86400000LL;
        rig.mc.commands.action = [&rig, this, stopAt, durationMs, status](const std::vector<std::string>& argv) {
            names.push_back(std::filesystem::path(argv.at(1)).filename().string());
            millis.push_back(rig.mc.clock.millis);
            if (names.size() == stopAt) {
                throw StopRun{};
            }
            rig.mc.clock.millis += durationMs;
            return status;
        };
    }
};

// Within the wait's resolution: whole clock seconds and a 300 ms round, one more round when the
// job of a simultaneous pass ran just before.
void expectStartNear(std::int64_t started, std::int64_t expected) {
    EXPECT_GE(started, expected - 1000);
    EXPECT_LE(started, expected + 2000);
}

TEST(SchedulerScreen, LayoutCellByCell) {
    Rig rig(schedulerConfig({"ISS"}));
    rig.compute();
    const MemoryScreen& s = rig.mc.screen;
    const std::string H(78, cp437::doubleHorizontal);
    const std::string V(1, cp437::doubleVertical), L(1, cp437::doubleTeeLeft), R(1, cp437::doubleTeeRight);
    const std::string down(1, cp437::doubleTeeDown), up(1, cp437::doubleTeeUp);
    const auto framed = [&](std::initializer_list<std::pair<int, std::string>> texts) {
        std::string line = row(texts);
        line.front() = cp437::doubleVertical;
        line.back() = cp437::doubleVertical;
        return line;
    };
    EXPECT_EQ(s.rowText(1), cp437::doubleTopLeft + H + cp437::doubleTopRight);
    EXPECT_EQ(s.rowText(2), framed({{3, "MIRADOS 2.0"}, {31, "SATELLITE PASS SCHEDULER               by VANTREL"}}));
    EXPECT_EQ(s.rowText(3), row({{1, L + H + R}, {26, down}}));
    EXPECT_EQ(s.rowText(4), framed({{3, "10-OCT-2026  00:00:00"}, {26, V}, {32, "Status: "},
                                    {40, "Calculating AOS and LOS times"}}));
    EXPECT_EQ(s.rowText(5), row({{1, L + H + R}, {26, up}, {40, down}}));
    EXPECT_EQ(s.rowText(6), framed({{3, "        Scheduled passes"}, {40, V}}));
    EXPECT_EQ(s.rowText(7), framed({{3, "Sat      AOS       LOS       El"}, {40, V}}));
    EXPECT_EQ(s.rowText(8, 1, 11), V + " ISS      ");
    EXPECT_EQ(s.rowText(10), framed({{40, V}}));
    EXPECT_EQ(s.rowText(20), framed({{40, V}}));
    EXPECT_EQ(s.rowText(21), row({{1, L + std::string(38, cp437::doubleHorizontal) + R}, {80, V}}));
    EXPECT_EQ(s.rowText(22), framed({{3, "Mirados commands: Track, Mode, Quit"}, {40, V}}));
    EXPECT_EQ(s.rowText(23), row({{1, L + H + R}, {40, up}}));
    EXPECT_EQ(s.rowText(24), framed({}));
    EXPECT_EQ(s.rowText(25), cp437::doubleBottomLeft + H + cp437::doubleBottomRight);
    for (int r = 1; r <= Screen::rows; ++r) {
        for (int c = 1; c <= Screen::columns; ++c) {
            const bool letter = r == 22 && (c == 21 || c == 28 || c == 34);
            ASSERT_EQ(s.cell(r, c).foreground, letter ? 14 : 15) << r << "," << c;
            ASSERT_EQ(s.cell(r, c).background, 1) << r << "," << c;
        }
    }
    EXPECT_FALSE(s.cursorVisible());
}

TEST(SchedulerLoop, JobRunsAtAosAndThePassJustServedIsDropped) {
    Rig probe(schedulerConfig({"ISS", "SO-50"}, {}, "0"));
    probe.compute();
    const PassTable& expected = probe.scheduler.schedule;
    Rig rig(schedulerConfig({"ISS", "SO-50"}, {}, "0"));
    rig.dir.write("ISS.BAT", "");
    rig.dir.write("so-50.bat", "");
    Jobs jobs;
    jobs.record(rig, 2, 60000);
    std::string status;
    rig.mc.sleeper.onTime = [&](std::int64_t) {
        if (jobs.names.size() == 1 && status.empty()) {
            status = rig.mc.screen.rowText(4, 40, 60);
        }
    };
    EXPECT_THROW(rig.scheduler.run(), StopRun);
    EXPECT_EQ(rig.mc.commands.ran[0], (std::vector<std::string>{"/bin/sh", (rig.dir.path() / "ISS.BAT").string()}));
    EXPECT_EQ(jobs.names, (std::vector<std::string>{expected[0].entry + ".BAT", "so-50.bat"}));
    expectStartNear(jobs.millis[0], rig.millisAt(expected[0].aosDay()));
    // Row 1 comes back after the one-minute job with an AOS in the past; row 2 replaces it.
    EXPECT_EQ(status, "Waiting for " + expected[1].entry + std::string(21 - 12 - expected[1].entry.size(), ' '));
    expectStartNear(jobs.millis[1], rig.millisAt(expected[1].aosDay()));
    EXPECT_EQ(rig.scheduler.lastJobEntry, "SO-50");
}

TEST(SchedulerLoop, OverlappingPassesRunEachJobOnceEvenWhenJobsFail) {
    Rig probe(schedulerConfig({"ISS~A", "ISS~B"}, {}, "0"));
    probe.compute();
    const PassTable expected = probe.scheduler.schedule;
    for (const int status : {0, 1}) {
        Rig rig(schedulerConfig({"ISS~A", "ISS~B"}, {}, "0"));
        rig.dir.write("ISS~A.BAT", "");
        rig.dir.write("ISS~B.BAT", "");
        // Two minutes into the first pass: it is in progress, first, and started at once.
        const std::int64_t start = rig.millisAt(expected[0].aosDay()) + 120000;
        rig.mc.clock.millis = start;
        Jobs jobs;
        jobs.record(rig, 4, 0, status);
        std::string message;
        rig.mc.sleeper.onTime = [&](std::int64_t) {
            if (jobs.names.size() == 2 && message.empty()) {
                message = rig.mc.screen.rowText(24, 3, 38);
            }
        };
        EXPECT_THROW(rig.scheduler.run(), StopRun);
        EXPECT_EQ(jobs.names, (std::vector<std::string>{"ISS~A.BAT", "ISS~B.BAT", "ISS~A.BAT", "ISS~B.BAT"}));
        expectStartNear(jobs.millis[0], start);
        expectStartNear(jobs.millis[1], start);
        expectStartNear(jobs.millis[2], rig.millisAt(expected[2].aosDay()));
        expectStartNear(jobs.millis[3], rig.millisAt(expected[3].aosDay()));
        EXPECT_EQ(message, status == 0 ? std::string(36, ' ') : "Job ISS~B.BAT failed (exit status 1)");
    }
}

TEST(SchedulerLoop, APlanThatDropsEveryPassSchedulesAgainWhenTheFirstIsOver) {
    Rig rig(schedulerConfig({"ISS"}) + "1\n1000\n");
    rig.mc.sleeper.limitMillis = rig.mc.clock.millis + 12 * 3'600'000;
    EXPECT_THROW(rig.scheduler.run(), SimulatedTimeExhausted);
    const std::string log = rig.dir.read("MIRADOS.LOG");
    int cycles = 0;
    for (std::size_t at = 0; (at = log.find("No scheduled passes", at + 1)) != std::string::npos;) {
        ++cycles;
    }
    EXPECT_GE(cycles, 3) << log;
    EXPECT_NE(log.find("Plan: ISS dropped, less than 1000 minutes left: AOS"), std::string::npos) << log;
    // The status counts each pass once, however many plans dropped it (a pass found again may
    // move by a second: its AOS to the minute tells it here).
    std::set<std::string> droppedAos;
    for (std::size_t at = 0; (at = log.find("Plan: ISS dropped", at + 1)) != std::string::npos;) {
        droppedAos.insert(log.substr(log.find("AOS ", at), 20));
    }
    EXPECT_EQ(rig.scheduler.statusFacts.passesDropped, droppedAos.size()) << log;
}

TEST(SchedulerLoop, TheWaitRunsOnAcrossTheTurnOfTheYear) {
    // From late on 31 December, the first pass that starts in the new year.
    Rig probe(schedulerConfig({"ISS"}, {}, "0"));
    probe.mc.clock.set(2026, 12, 31, 23, 0, 0);
    probe.compute();
    const double newYear = continuousDay(2027, 1.0);
    while (probe.scheduler.schedule[0].aosDay() < newYear) {
        probe.mc.clock.millis = probe.millisAt(probe.scheduler.schedule[0].losDay()) + 60000;
        probe.scheduler.buildSchedule();
    }
    const PassRow first = probe.scheduler.schedule[0];
    EXPECT_GT(first.aosUtc, 366.0);  // on the scale of the year the search started in
    Rig rig(schedulerConfig({"ISS"}, {}, "0"));
    rig.dir.write("ISS.BAT", "");
    rig.mc.clock.millis = probe.mc.clock.millis;
    Jobs jobs;
    jobs.record(rig, 1);
    EXPECT_THROW(rig.scheduler.run(), StopRun);
    expectStartNear(jobs.millis[0], rig.millisAt(first.aosDay()));
    EXPECT_EQ(rig.scheduler.schedule[0].year, 2026);
    EXPECT_EQ(probe.mc.screen.rowText(8, 12, 19), timeOfDayText(first.aosLocal));
}

TEST(SchedulerClockSteps, AClockSetPastAWholePassRunsNoJobAndSchedulesAgain) {
    Rig probe(schedulerConfig({"ISS"}, {}, "0"));
    probe.compute();
    const PassTable expected = probe.scheduler.schedule;
    Rig rig(schedulerConfig({"ISS"}, {}, "0"));
    rig.dir.write("ISS.BAT", "");
    rig.mc.clock.millis = rig.millisAt(expected[0].aosDay()) - 60'000;
    const std::int64_t steppedTo = rig.millisAt(expected[0].losDay()) + 60'000;
    Jobs jobs;
    jobs.record(rig, 1);
    bool stepped = false;
    std::string message;
    rig.mc.sleeper.onTime = [&](std::int64_t millis) {
        if (!stepped && millis >= rig.millisAt(expected[0].aosDay()) - 30'000) {
            rig.mc.clock.millis = steppedTo;
            stepped = true;
        }
        if (stepped && message.empty() && millis > steppedTo + 1000) {
            message = rig.mc.screen.rowText(24, 3, 57);
        }
    };
    EXPECT_THROW(rig.scheduler.run(), StopRun);
    EXPECT_EQ(message, "Job ISS.BAT not run: clock stepped past the whole pass.");
    EXPECT_EQ(rig.scheduler.statusFacts.passesSkippedByClockStep, 1u);
    // The next pass is run at its own AOS, not the one the clock jumped over at once.
    ASSERT_EQ(jobs.names.size(), 1u);
    expectStartNear(jobs.millis[0], rig.millisAt(expected[1].aosDay()));
}

TEST(SchedulerClockSteps, AClockSetBackWhileWaitingWaitsLongerAndRunsTheJobOnce) {
    Rig probe(schedulerConfig({"ISS"}, {}, "0"));
    probe.compute();
    const PassTable expected = probe.scheduler.schedule;
    Rig rig(schedulerConfig({"ISS"}, {}, "0"));
    rig.dir.write("ISS.BAT", "");
    const std::int64_t aos = rig.millisAt(expected[0].aosDay());
    rig.mc.clock.millis = aos - 60'000;
    Jobs jobs;
    jobs.record(rig, 2, 20 * 60'000);
    bool stepped = false;
    rig.mc.sleeper.onTime = [&](std::int64_t millis) {
        if (!stepped && millis >= aos - 30'000) {
            rig.mc.clock.millis -= 3'600'000;
            stepped = true;
        }
    };
    EXPECT_THROW(rig.scheduler.run(), StopRun);
    ASSERT_EQ(jobs.names.size(), 2u);
    expectStartNear(jobs.millis[0], aos);
    expectStartNear(jobs.millis[1], rig.millisAt(expected[1].aosDay()));
}

TEST(SchedulerJobs, AScheduledJobMayRunUntilAnHourAfterItsLosATrackedOneForEver) {
    Rig probe(schedulerConfig({"ISS"}, {}, "0"));
    probe.compute();
    const PassTable expected = probe.scheduler.schedule;
    Rig rig(schedulerConfig({"ISS"}, {}, "0"));
    rig.dir.write("ISS.BAT", "");
    rig.dir.write("SO-50.BAT", "");
    rig.mc.clock.millis = rig.millisAt(expected[0].aosDay()) - 10'000;
    rig.mc.keyboard.pushAt(rig.mc.clock.millis + 1000, "t");
    for (const char c : std::string("so-50\r")) {
        rig.mc.keyboard.pushAt(rig.mc.clock.millis + 1000, std::string(1, c));
    }
    Jobs jobs;
    jobs.record(rig, 2);
    EXPECT_THROW(rig.scheduler.run(), StopRun);
    EXPECT_EQ(jobs.names, (std::vector<std::string>{"SO-50.BAT", "ISS.BAT"}));
    ASSERT_EQ(rig.mc.commands.limits.size(), 2u);
    EXPECT_EQ(rig.mc.commands.limits[0], std::nullopt);
    ASSERT_TRUE(rig.mc.commands.limits[1].has_value());
    // From the clock's whole second the job started in, rounded up.
    const double untilLos = (rig.millisAt(expected[0].losDay()) - jobs.millis[1]) / 1000.0;
    EXPECT_GE(static_cast<double>(*rig.mc.commands.limits[1]), untilLos + 3600);
    EXPECT_LE(static_cast<double>(*rig.mc.commands.limits[1]), untilLos + 3600 + 2.5);
}

TEST(SchedulerJobs, AJobEndedAtItsLimitIsReportedAndTheScheduleGoesOn) {
    Rig probe(schedulerConfig({"ISS"}, {}, "0"));
    probe.compute();
    const PassTable expected = probe.scheduler.schedule;
    Rig rig(schedulerConfig({"ISS"}, {}, "0"));
    rig.dir.write("ISS.BAT", "");
    rig.mc.clock.millis = rig.millisAt(expected[0].aosDay()) - 10'000;
    Jobs jobs;
    jobs.record(rig, 2);
    // The first job hangs until it is ended at its limit.
    const auto record = rig.mc.commands.action;
    rig.mc.commands.action = [&](const std::vector<std::string>& argv) {
        record(argv);
        rig.mc.clock.millis += *rig.mc.commands.limits.back() * 1000 + 10'000;
        return CommandProcessor::endedAtLimit;
    };
    std::string message;
    rig.mc.sleeper.onTime = [&](std::int64_t) {
        if (jobs.names.size() == 1 && message.empty()) {
            message = rig.mc.screen.rowText(24, 3, 56);
        }
    };
    EXPECT_THROW(rig.scheduler.run(), StopRun);
    EXPECT_EQ(message, "Job ISS.BAT ended: still running 60 minutes after LOS.");
    ASSERT_EQ(jobs.names.size(), 2u);
    EXPECT_EQ(rig.scheduler.statusFacts.jobsEndedAtLimit + rig.scheduler.statusFacts.jobsFailed, 1u);
    EXPECT_GT(jobs.millis[1], rig.millisAt(expected[0].losDay()) + 3'600'000);
    // The log tells the end at the limit, not the stand-in status the job processor gives.
    const std::string log = rig.dir.read("MIRADOS.LOG");
    EXPECT_NE(log.find("Z Job ISS.BAT ended at its limit, 60 minutes after LOS\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("exit status -2"), std::string::npos) << log;
}

TEST(SchedulerKeys, QuitTrackWithATypedNameAndModeTwice) {
    Rig rig(schedulerConfig({"ISS"}, {"NOAA-15"}));
    rig.dir.write("SO-50.BAT", "");
    const std::int64_t t0 = rig.startMillis;
    rig.mc.keyboard.pushAt(t0 + 1000, "m");
    rig.mc.keyboard.pushAt(t0 + 3000, "M");
    rig.mc.keyboard.pushAt(t0 + 5000, "t");
    for (const char c : std::string("so-50 now\r")) {
        rig.mc.keyboard.pushAt(t0 + 6000, std::string(1, c));
    }
    rig.mc.keyboard.pushAt(t0 + 9000, "q");
    std::vector<std::string> seen;
    const std::int64_t marks[] = {t0 + 2000, t0 + 4000, t0 + 5500, t0 + 8000};
    rig.mc.sleeper.onTime = [&](std::int64_t now) {
        const std::size_t next = seen.size();
        if (next < 4 && now >= marks[next]) {
            const MemoryScreen& screen = rig.mc.screen;
            seen.push_back(next == 2 ? screen.rowText(24, 3, 43)
                                     : screen.rowText(6, 42, 76) + "|" + screen.rowText(9, 42, 48));
        }
    };
    EXPECT_EQ(rig.scheduler.run(), 0);
    // The list shows NOAA-15's second pass on row 9; Mode clears it from the real-time view.
    EXPECT_EQ(seen, (std::vector<std::string>{"       Non-scheduled passes        |NOAA-15",
                                              "            Realtime               |       ",
                                              "Which satellite would you like to track? ",
                                              "            Realtime               |       "}));
    EXPECT_EQ(rig.mc.commands.ran,
              (std::vector<std::vector<std::string>>{{"/bin/sh", (rig.dir.path() / "SO-50.BAT").string(), "NOW"}}));
    EXPECT_EQ(rig.scheduler.lastJobEntry, "");
    EXPECT_EQ(rig.mc.screen.cell(12, 12), (Cell{' ', 15, 0}));
}

}  // namespace
}  // namespace station::testing
