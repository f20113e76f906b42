#include "scheduler/tests/rig.hpp"

#include <fstream>

namespace station::testing {
namespace {

// NOAA-15's first pass from the rig's start, found with the station's horizon of 0 degrees.
PassRow firstWatchedPass(Rig& rig) {
    rig.compute();
    rig.scheduler.buildNonScheduledTable();
    return rig.scheduler.nonScheduledTable[0];
}

TEST(RealtimeView, HighlightAndOneBeepWhenTheSatelliteRises) {
    Rig rig(schedulerConfig({}, {"", "NOAA-15"}, "0"));
    const PassRow pass = firstWatchedPass(rig);
    const std::int64_t aos = rig.millisAt(pass.aosDay());
    for (std::int64_t t = aos - 30000; t <= aos + 60000; t += 1000) {
        rig.mc.clock.millis = t;
        rig.scheduler.clock = readClock(rig.mc.clock, 0);
        rig.scheduler.showRealtimeView();
        const Cell& name = rig.mc.screen.cell(9, 42);
        ASSERT_EQ(name.character, 'N');
        if (t < aos - 3000) {
            ASSERT_EQ(name.foreground, 15) << t - aos;
            ASSERT_EQ(rig.mc.screen.beeps(), 0);
        } else if (t >= aos + 1000) {
            ASSERT_EQ(name.foreground, 14) << t - aos;
            ASSERT_EQ(rig.mc.screen.beeps(), 1);
        }
    }
    EXPECT_EQ(rig.mc.screen.rowText(7, 42, 75), "Sat       Azim     Elev    Range  ");
    EXPECT_EQ(rig.mc.screen.cell(9, 51).foreground, 14);
    EXPECT_EQ(rig.mc.screen.cell(9, 75).foreground, 15);
    EXPECT_EQ(rig.mc.screen.rowText(8, 42, 75), std::string(34, ' '));
}

TEST(NonScheduledList, HighlightDuringThePassAndRebuildAbout26SecondsAfterLos) {
    Rig rig(schedulerConfig({}, {"NOAA-15"}, "0"));
    const PassRow pass = firstWatchedPass(rig);
    const PassRow next = rig.scheduler.nonScheduledTable[1];
    rig.scheduler.panelView = PanelView::passList;
    const auto showAt = [&](std::int64_t millis) {
        rig.mc.clock.millis = millis;
        rig.scheduler.showNonScheduledPasses();
        return rig.mc.screen.cell(8, 42).foreground;
    };
    EXPECT_EQ(showAt(rig.startMillis), 15);
    const std::string elevation = formatPicture("##.#", pass.maxElevation * 180 / 3.1415926535898);
    const std::string listed = row({{1, "NOAA-15"}, {10, timeOfDayText(pass.aosLocal)},
                                    {20, timeOfDayText(pass.losLocal)}, {30, elevation}});
    EXPECT_EQ(rig.mc.screen.rowText(8, 42, 74), listed.substr(0, 33));
    EXPECT_EQ(showAt(rig.millisAt(pass.aosDay()) + 2000), 14);
    const std::int64_t los = rig.millisAt(pass.losDay());
    EXPECT_EQ(showAt(los + 1000), 15);
    EXPECT_EQ(showAt(los + 25000), 15);
    EXPECT_EQ(rig.scheduler.passList, PassListState::current);
    showAt(los + 27000);
    EXPECT_EQ(rig.scheduler.passList, PassListState::stale);
    showAt(los + 28000);
    EXPECT_EQ(rig.scheduler.passList, PassListState::current);
    EXPECT_NEAR(rig.scheduler.nonScheduledTable[0].aosDay(), next.aosDay(), 2.0 / 86400);
}

TEST(SchedulerLoop, WithoutScheduledEntriesItWaitsWithPanelAndKeysAlive) {
    Rig rig(schedulerConfig({}, {"NOAA-15"}));
    rig.mc.keyboard.pushAt(rig.startMillis + 60000, "Q");
    std::string status;
    std::string panel;
    rig.mc.sleeper.onTime = [&](std::int64_t now) {
        if (now >= rig.startMillis + 30000 && status.empty()) {
            status = rig.mc.screen.rowText(4, 40, 79);
            panel = rig.mc.screen.rowText(8, 42, 48);
        }
    };
    EXPECT_EQ(rig.scheduler.run(), 0);
    EXPECT_EQ(status, row({{1, "No scheduled satellites"}}).substr(0, 40));
    EXPECT_EQ(panel, "NOAA-15");
    EXPECT_TRUE(rig.mc.commands.ran.empty());
}

TEST(SchedulerLoop, EntriesWithoutAPassAreSearchedAgainOnceTheSearchedSpanHasPassed) {
    // No pass of the ISS peaks above 89.9 degrees within the day and a half searched: the schedule
    // is empty. The operator lowers the minimum meanwhile; the next cycle must come without a key.
    Rig rig(schedulerConfig({"ISS"}, {}, "89.9"));
    rig.scheduler.searchBoundDays = 1.5;
    rig.mc.sleeper.limitMillis = rig.startMillis + 3 * 86400000LL;
    const std::int64_t edited = rig.startMillis + 3600000;
    const std::int64_t checked = rig.startMillis + 86400000 * 3 / 2 + 600000;
    std::vector<std::string> statuses;
    rig.mc.sleeper.onTime = [&](std::int64_t now) {
        if (statuses.empty() && now >= edited) {
            statuses.push_back(rig.mc.screen.rowText(4, 40, 58));
            rig.dir.write("MIRADOS.CFG", schedulerConfig({"ISS"}, {}, "0"));
        }
        if (statuses.size() == 1 && now >= checked) {
            statuses.push_back(rig.mc.screen.rowText(4, 40, 58));
            rig.mc.keyboard.push("q");
        }
    };
    EXPECT_EQ(rig.scheduler.run(), 0);
    EXPECT_EQ(statuses, (std::vector<std::string>{"No scheduled passes", "Waiting for ISS    "}));
    EXPECT_TRUE(rig.mc.commands.ran.empty());
}

TEST(SchedulerJobs, NamesAreFilesOfTheStationDirectoryNeverShellText) {
    StationDir outer;
    const auto stationPath = outer.path() / "station";
    std::filesystem::create_directory(stationPath);
    outer.write("ISS.BAT", "");  // reachable only as "../ISS.BAT"
    MemoryConsole mc(stationPath);
    mc.clock.set(2026, 10, 10, 0, 0, 0);
    Scheduler scheduler(mc.console);
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(stationPath / name) << text;
    };
    write("KELVORIN.CFG", stationConfig());
    write("MIRADOS.CFG", schedulerConfig({}));
    write("iss.bat", "");
    const std::vector<std::pair<std::string, std::string>> typed{
        {"iss;touch x", "No job file ISS;TOUCH.BAT"},
        {"$(reboot)", "No job file $(REBOOT).BAT"},
        {"../iss", "No job file ../ISS.BAT"},
        {"\"iss\"", "No job file \"ISS\".BAT"},
        {"iss zarya", "Job ISS.BAT failed (exit status 3)"},
        {"iss", "Job ISS.BAT could not be started"},
    };
    std::vector<int> statuses{3, -1};
    mc.commands.action = [&](const std::vector<std::string>&) {
        const int status = statuses.front();
        statuses.erase(statuses.begin());
        return status;
    };
    const std::int64_t t0 = mc.clock.millis;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        mc.keyboard.pushAt(t0 + 10000 * static_cast<std::int64_t>(i + 1), "t");
        for (const char c : typed[i].first + "\r") {
            mc.keyboard.pushAt(t0 + 10000 * static_cast<std::int64_t>(i + 1), std::string(1, c));
        }
    }
    mc.keyboard.pushAt(t0 + 10000 * static_cast<std::int64_t>(typed.size() + 1), "q");
    std::vector<std::string> messages;
    // Halfway between two Track keys, the report of the job typed at the first.
    mc.sleeper.onTime = [&](std::int64_t now) {
        const auto due = t0 + 10000 * static_cast<std::int64_t>(messages.size() + 1) + 5000;
        if (messages.size() < typed.size() && now >= due) {
            messages.push_back(mc.screen.rowText(24, 3, 40));
        }
    };
    EXPECT_EQ(scheduler.run(), 0);
    ASSERT_EQ(messages.size(), typed.size());
    for (std::size_t i = 0; i < typed.size(); ++i) {
        EXPECT_EQ(messages[i], row({{1, typed[i].second}}).substr(0, 38));
    }
    const std::string job = (stationPath / "iss.bat").string();
    EXPECT_EQ(mc.commands.ran, (std::vector<std::vector<std::string>>{{"/bin/sh", job, "ZARYA"}, {"/bin/sh", job}}));
}

}  // namespace
}  // namespace station::testing
