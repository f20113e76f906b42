#include "scheduler/tests/rig.hpp"

#include <cmath>
#include <map>

namespace station::testing {
namespace {

PassRow pass(const std::string& entry, int year, double aos) {
    return {entry, year, aos, aos, aos + 0.01, aos + 0.01, 0};
}

TEST(PassTableSort, ExchangeOrderEqualStartsAndTurnOfTheYear) {
    PassTable table;
    table[0] = pass("A", 2026, 365.5);
    table[1] = pass("B", 2027, 1.1);
    table[2] = pass("C", 2026, 366.05);  // a search that ran into 2027: its day 1.05
    table[3] = pass("D", 2026, 300.0);
    table[4] = pass("E", 2026, 300.0);
    sortPassTable(table);
    std::string order;
    for (const PassRow& row : table) {
        order += row.entry.empty() ? "." : row.entry;
    }
    EXPECT_EQ(order, "DEAC" "B" + std::string(25, '.'));
    // Two entries of one satellite: rows A1 A2 B1 B2 become A1 B1 A2 B2.
    table = {pass("A1", 2026, 10), pass("A2", 2026, 11), pass("B1", 2026, 10), pass("B2", 2026, 11)};
    sortPassTable(table);
    EXPECT_EQ(table[0].entry + table[1].entry + table[2].entry + table[3].entry, "A1B1A2B2");
}

TEST(ScheduleRow, TimesOfDayTruncatedAndElevationMasked) {
    MemoryScreen screen;
    PassRow r{"ISS", 2026, 0, 283.5 + 59.999 / 86400, 0, 283.75, 45.25 * 3.1415926535898 / 180};
    showScheduleRow(screen, 8, r);
    EXPECT_EQ(screen.rowText(8), row({{3, "ISS"}, {12, "12:00:59"}, {22, "18:00:00"}, {32, "45.3"}}));
    r.entry = std::string(45, 'X');  // never reaches the divider at column 40
    showScheduleRow(screen, 9, r);
    EXPECT_EQ(screen.rowText(9, 36, 40), "XXXX ");
}

TEST(RiseFlag, OneAnnouncementPerRiseAndZeroKeepsTheFlag) {
    ElementSlot slot;
    EXPECT_FALSE(updateRiseFlag(slot, 0.0));
    EXPECT_TRUE(updateRiseFlag(slot, 0.001));
    EXPECT_FALSE(updateRiseFlag(slot, 0.2));
    EXPECT_FALSE(updateRiseFlag(slot, 0.0));
    EXPECT_EQ(slot.riseFlag, 1);
    EXPECT_FALSE(updateRiseFlag(slot, -0.001));
    EXPECT_TRUE(updateRiseFlag(slot, 0.001));
}

double degrees(double radians) { return radians * 180 / 3.1415926535898; }

TEST(Schedule, OrderedHighPassesTwoPerEntryFirst13Shown) {
    Rig rig(schedulerConfig({"ISS", "SO-50", "HO-113", "AO-91", "AO-7", "AO-73", "NOAA-15", "NOAA-18", "NOAA-19",
                             "AO-123", "FENGYUN-3D", "METEOR-M2-3", "METEOR-M2-4", "PO-101", "ISS~B"}));
    rig.compute();
    const PassTable& table = rig.scheduler.schedule;
    std::map<std::string, int> perEntry;
    for (int i = 0; i < passRowCount; ++i) {
        ASSERT_FALSE(table[i].empty()) << i;
        ++perEntry[table[i].entry];
        EXPECT_GT(degrees(table[i].maxElevation), 10.0);
        EXPECT_LT(table[i].aosUtc, table[i].losUtc);
        if (i > 0) {
            EXPECT_LE(table[i - 1].aosDay(), table[i].aosDay());
        }
        if (i < shownScheduleRows) {
            EXPECT_EQ(rig.mc.screen.rowText(8 + i, 12, 19), timeOfDayText(table[i].aosLocal));
        }
    }
    EXPECT_EQ(perEntry.size(), 15u);
    EXPECT_EQ(rig.mc.screen.rowText(21, 2, 10), std::string(9, cp437::doubleHorizontal));
    // The two entries of one satellite share its passes, the first entry first.
    for (int i = 0; i + 1 < passRowCount; ++i) {
        if (table[i].entry == "ISS") {
            EXPECT_EQ(table[i + 1].entry, "ISS~B");
            EXPECT_EQ(table[i + 1].aosUtc, table[i].aosUtc);
            ++i;
        }
    }
}

TEST(Schedule, LowPassesArePassedOverAndASatelliteUpComesFirst) {
    Rig low(schedulerConfig({"ISS"}, {}, "0"));
    low.compute();
    Rig high(schedulerConfig({"ISS"}, {}, "40"));
    high.compute();
    EXPECT_GT(degrees(high.scheduler.schedule[0].maxElevation), 40);
    EXPECT_GT(high.scheduler.schedule[0].aosUtc, low.scheduler.schedule[0].aosUtc);

    Rig up(schedulerConfig({"SO-50", "ISS"}, {}, "0"));
    up.mc.clock.millis = low.millisAt(low.scheduler.schedule[0].aosDay()) + 120000;
    up.compute();
    EXPECT_EQ(up.scheduler.schedule[0].entry, "ISS");
    const double now = continuousDay(2026, dayNumberOf(readClock(up.mc.clock, 0)));
    EXPECT_LT(up.scheduler.schedule[0].aosDay(), now);
    EXPECT_GT(up.scheduler.schedule[0].aosDay(), now - 61.0 / 86400);
}

TEST(Schedule, EntriesWithoutAPassAreLeftOutWithAMessage) {
    // From 70 degrees north the ISS peaks low, and the geostationary QO-100 reports only the
    // horizon as its maximum: neither reaches 10 degrees, and neither may hang the cycle.
    Rig rig(schedulerConfig({"ISS", "", "QO-100", "~B"}));
    rig.dir.write("KELVORIN.CFG", [] {
        std::string text = stationConfig();
        return text.replace(text.find("52.35"), 5, "70.00");
    }());
    rig.compute();
    EXPECT_TRUE(rig.scheduler.schedule[0].empty());
    ASSERT_EQ(rig.scheduler.leftOut.size(), 3u);
    EXPECT_EQ(rig.scheduler.leftOut[2].entry + " " + rig.scheduler.leftOut[2].reason, "~B no satellite name");
    EXPECT_EQ(rig.mc.screen.rowText(24, 3, 79).substr(0, 58),
              "Left out: ISS (no pass high enough in 10 days), QO-100 (no");
}

// The station of the rig with value 47 at 1: the SGP4 model.
std::string sgp4StationConfig() { return stationConfig() + "\n\n1\n"; }

// Element sets the SGP4 model refuses at its epoch (an orbit inside the Earth) or follows only
// until its decay, three days before the rig's clock.
constexpr char fallenSets[] =
    "LOW-1\n"
    "1 99998U 26001A   26280.50000000  .00000000  00000-0  00000-0 0  9999\n"
    "2 99998  51.6000 100.0000 0001000   0.0000   0.0000 17.50000000    09\n"
    "DOWN-1\n"
    "1 99997U 26001A   26280.50000000  .00000000  00000-0  10000-1 0  9999\n"
    "2 99997  51.6000 100.0000 0001000   0.0000   0.0000 16.00000000    09\n";

TEST(Schedule, WithTheSgp4ModelTheRowsAreItsPasses) {
    Rig rig(schedulerConfig({"ISS", "SO-50"}, {}, "0"));
    rig.dir.write("KELVORIN.CFG", sgp4StationConfig());
    rig.compute();
    ASSERT_EQ(rig.scheduler.station.orbitModel, OrbitModel::sgp4);
    Rig builtIn(schedulerConfig({"ISS", "SO-50"}, {}, "0"));
    builtIn.compute();

    const Station& station = rig.scheduler.station;
    const ObserverSite site = observerSite({station.latitude, station.longitude}, station.geodeticLatitude);
    PassSearchSettings settings;
    settings.searchStep = 1;
    int compared = 0;
    for (const char* name : {"ISS", "SO-50"}) {
        SatelliteOrbit orbit = satelliteOrbit(OrbitModel::sgp4, rig.scheduler.scheduledSlots[compared].orbit.elements);
        ClockTime time{2026, 10, 10, 0, 0, 0};
        SatelliteState state;
        PassSearchDisplay quiet;
        const PassPrediction first =
            predictPass(rig.scheduler.constants, orbit, site, settings, time, state, quiet);
        const auto row = std::find_if(rig.scheduler.schedule.begin(), rig.scheduler.schedule.end(),
                                      [&](const PassRow& r) { return r.entry == name; });
        ASSERT_NE(row, rig.scheduler.schedule.end()) << name;
        EXPECT_EQ(row->aosUtc, first.aos) << name;
        EXPECT_EQ(row->losUtc, first.los) << name;
        EXPECT_EQ(row->maxElevation, static_cast<float>(first.maximumElevation)) << name;
        ++compared;
    }
    EXPECT_NE(rig.scheduler.schedule[0].losUtc, builtIn.scheduler.schedule[0].losUtc);
}

TEST(Schedule, SetsTheSgp4ModelCannotFollowAreLeftOutWithTheReason) {
    Rig rig(schedulerConfig({"LOW-1", "ISS", "DOWN-1"}));
    rig.dir.write("KELVORIN.CFG", sgp4StationConfig());
    rig.dir.write("KEPS.TXT", rig.dir.read("KEPS.TXT") + fallenSets);
    rig.compute();
    EXPECT_EQ(rig.scheduler.schedule[0].entry, "ISS");
    EXPECT_EQ(leftOutMessage(rig.scheduler.leftOut),
              "Left out: LOW-1 (satellite has decayed), DOWN-1 (satellite has decayed)");
    EXPECT_EQ(rig.mc.screen.rowText(24, 3, 73),
              "Left out: LOW-1 (satellite has decayed), DOWN-1 (satellite has decayed)");
}

// A watched satellite without a position: its row keeps the name, loses the values, and the
// message line says why once.
TEST(RealtimeView, AWatchedSatelliteWithoutAPositionIsBlankedAndReportedOnce) {
    Rig rig(schedulerConfig({}, {"DOWN-1", "ISS"}));
    rig.dir.write("KELVORIN.CFG", sgp4StationConfig());
    rig.dir.write("KEPS.TXT", rig.dir.read("KEPS.TXT") + fallenSets);
    rig.mc.clock.set(2026, 10, 10, 12, 0, 0);
    rig.compute();
    rig.mc.screen.printAt(8, 42, std::string(33, 'x'));
    rig.scheduler.clock = readClock(rig.mc.clock, 0);
    rig.scheduler.showRealtimeView();
    EXPECT_EQ(rig.mc.screen.rowText(8, 42, 74), "DOWN-1xxx" + std::string(24, ' '));
    EXPECT_EQ(rig.mc.screen.rowText(24, 3, 31), "DOWN-1: satellite has decayed");
    EXPECT_NE(rig.mc.screen.rowText(9, 51, 57), std::string(7, ' '));
    showMessage(rig.mc.screen, "");
    rig.scheduler.showRealtimeView();
    EXPECT_EQ(rig.mc.screen.rowText(24, 3, 31), std::string(29, ' '));
}

// A clock that reads as no number (an infinite UTC offset once gave one) made the search span of
// the geostationary satellite's low "passes" NaN, and the cycle never ended.
TEST(Schedule, ClockThatIsNotANumberLeavesEntriesOut) {
    Rig rig(schedulerConfig({"QO-100", "ISS"}));
    rig.scheduler.startUp();
    rig.scheduler.station.utcOffsetHours = -INFINITY;
    rig.scheduler.readSettings();
    rig.scheduler.loadElementSets();
    rig.scheduler.buildSchedule();
    EXPECT_TRUE(rig.scheduler.schedule[0].empty());
    EXPECT_EQ(rig.scheduler.leftOut.size(), 2u);
}

// Found by fuzzing: with a step of 1600 minutes the LOS of a low pass can lie before the search
// start, so passing over low passes from their LOS found the same pass again for ever.
TEST(Schedule, StepLongerThanAPassStillEndsTheCycle) {
    Rig rig(schedulerConfig({"ISS", "AO-7", "QO-100"}, {"SO-50", "QO-100"}));
    rig.dir.write("KELVORIN.CFG", [] {
        std::string text = ";station\nTEST\nKEPS.TXT\n52\n180\n0\n96000\n";
        for (int value = 7; value <= 41; ++value) {
            text += value == 17 ? "14\n" : "0\n";
        }
        return text + "1\n15\n14\n";
    }());
    rig.compute();
    rig.scheduler.buildNonScheduledTable();
    EXPECT_EQ(rig.scheduler.station.searchStep, 1600.0f);
}

}  // namespace
}  // namespace station::testing
