#include "scheduler/pass_list.hpp"
#include "scheduler/tests/rig.hpp"
#include "text/testsupport/lines.hpp"

#include <map>
#include <sstream>

namespace station::testing {
namespace {

constexpr double degree = 3.1415926535898 / 180;

struct Printed {
    int status = -1;
    std::string out;
    std::string err;
};

Printed print(Console& console, double days, bool csv = false) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = printPassList(console, days, csv, out, err);
    return {status, out.str(), err.str()};
}

const std::vector<std::string> scheduled{"ISS", "SO-50", "AO-7"};
const std::vector<std::string> watched{"NOAA-19", "ISS"};

// The schedule is the list's first high passes of scheduled entries, two per entry: the same
// search from the same instant gives the same day numbers to the last bit.
TEST(PassList, TheScheduleIsMadeOfItsFirstRows) {
    Rig rig(schedulerConfig(scheduled, watched));
    rig.compute();
    const PassTable schedule = rig.scheduler.schedule;
    std::vector<std::string> shownRows;
    for (int row = 8; row < 8 + shownScheduleRows; ++row) {
        shownRows.push_back(rig.mc.screen.rowText(row, 3, 35));
    }

    Scheduler lister(rig.mc.console);
    const std::vector<ListedPass> listed = listPasses(lister, 2);
    std::vector<ListedPass> firstHigh;
    std::map<std::string, int> perEntry;
    for (const ListedPass& pass : listed) {
        if (pass.scheduled && pass.clears && perEntry[pass.pass.entry]++ < 2) {
            firstHigh.push_back(pass);
        }
    }
    const double until = continuousDay(2026, 283.0) + 2;
    int compared = 0;
    for (const PassRow& row : schedule) {
        if (row.empty() || row.aosDay() >= until) {
            continue;
        }
        ASSERT_LT(compared, static_cast<int>(firstHigh.size()));
        const PassRow& fromList = firstHigh[static_cast<std::size_t>(compared++)].pass;
        EXPECT_EQ(fromList.entry, row.entry);
        EXPECT_EQ(fromList.year, row.year);
        EXPECT_EQ(fromList.aosUtc, row.aosUtc) << row.entry;
        EXPECT_EQ(fromList.aosLocal, row.aosLocal) << row.entry;
        EXPECT_EQ(fromList.losUtc, row.losUtc) << row.entry;
        EXPECT_EQ(fromList.losLocal, row.losLocal) << row.entry;
        EXPECT_EQ(fromList.maxElevation, row.maxElevation) << row.entry;
    }
    EXPECT_EQ(compared, 6);

    // The printed table gives the same times and elevations as the screen's rows.
    const Printed printed = print(rig.mc.console, 2);
    EXPECT_EQ(printed.status, 0);
    std::vector<std::string> printedRows;
    perEntry.clear();
    for (const std::string& line : linesOf(printed.out)) {
        if (line.size() > 70 && line.find("scheduled") != std::string::npos && line.ends_with("yes")) {
            const std::string entry = line.substr(12, 9);
            if (perEntry[entry]++ < 2) {
                // Satellite, AOS, LOS and maximum elevation as the schedule's row places them.
                std::string row = line.substr(12, 9) + line.substr(34, 8) + "  " + line.substr(44, 8) + "  " +
                                  line.substr(56, 4);
                printedRows.push_back(row);
            }
        }
    }
    ASSERT_GE(printedRows.size(), 6u) << printed.out;
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(printedRows[i], shownRows[i]) << printed.out;
    }
}

TEST(PassList, EveryPassOfBothListsLowOnesMarkedAndEachEntryOnce) {
    Rig rig(schedulerConfig(scheduled, watched));
    Scheduler lister(rig.mc.console);
    const std::vector<ListedPass> listed = listPasses(lister, 2);
    std::map<std::string, int> passes;
    int low = 0;
    double lastAos = 0;
    for (const ListedPass& pass : listed) {
        ++passes[pass.pass.entry];
        low += pass.clears ? 0 : 1;
        EXPECT_EQ(pass.scheduled, pass.pass.entry != "NOAA-19") << pass.pass.entry;
        EXPECT_EQ(pass.clears, pass.pass.maxElevation > 10 * degree);
        EXPECT_GE(pass.pass.aosDay(), lastAos);
        lastAos = pass.pass.aosDay();
        EXPECT_LT(pass.pass.aosDay(), continuousDay(2026, 283.0) + 2);
        EXPECT_GE(pass.azimuthAtAos, 0);
        EXPECT_LT(pass.azimuthAtAos, 360 * degree);
    }
    // Low-earth orbits pass four to twelve times a day over a station at 52 degrees north,
    // not only twice; ISS, scheduled and watched, is listed once.
    EXPECT_EQ(passes.size(), 4u);
    for (const auto& [entry, count] : passes) {
        EXPECT_GE(count, 8) << entry;
        EXPECT_LE(count, 24) << entry;
    }
    EXPECT_GT(low, 0);
}

TEST(PassList, TableAndSpreadsheetForms) {
    // Local day numbers exact in binary, so the truncated seconds are what they seem.
    const PassRow iss{"ISS", 2026, 283.5, 283.5625, 283.5078125, 283.5703125, static_cast<float>(45.3 * degree)};
    const PassRow low{"AO-7, B \"mode\"", 2026, 283.9, 283.9375, 283.95, 284.0078125,
                      static_cast<float>(4.0 * degree)};
    const PassRow geo{"QO-100", 2026, 283.2, 283.25, 648.2, 648.25, 0};
    const std::vector<ListedPass> passes{
        {iss, true, true, false, static_cast<float>(359.7 * degree), static_cast<float>(101.2 * degree), {}},
        {low, false, false, false, static_cast<float>(12 * degree), static_cast<float>(200 * degree), {}},
        {geo, false, false, true, 0, 0, {}},
    };
    const PassListHeading heading{{2026, 10, 10, 13, 59, 30}, 0.5, -2, static_cast<float>(10 * degree)};
    EXPECT_EQ(passListText(heading, passes),
              "Passes from 2026-10-10 13:59:30 for 0.5 days, in local time (UTC = local time - 2 h)\n"
              "Clears: the maximum is above the minimum pass elevation of MIRADOS.CFG, 10.0 degrees\n"
              "\n"
              "Date        Satellite       Entry      AOS       LOS       Max El  Az AOS  Az LOS  Clears\n"
              "2026-10-10  ISS             scheduled  13:30:00  13:41:15    45.3       0     101  yes\n"
              "2026-10-10  AO-7, B \"mode\"  watched    22:30:00  00:11:15     4.0      12     200  no\n"
              "2026-10-10  QO-100          watched    06:00:00  06:00:00     0.0       -       -  no\n");
    EXPECT_EQ(passListCsv(passes),
              "date,satellite,entry,aos_local,los_local,max_elevation,azimuth_aos,azimuth_los,clears\n"
              "2026-10-10,ISS,scheduled,13:30:00,13:41:15,45.3,0,101,yes\n"
              "2026-10-10,\"AO-7, B \"\"mode\"\"\",watched,22:30:00,00:11:15,4.0,12,200,no\n"
              "2026-10-10,QO-100,watched,06:00:00,06:00:00,0.0,,,no\n");
    const PassListHeading oneDay{{2026, 10, 10, 0, 0, 0}, 1, 5.1f, 0};
    EXPECT_EQ(passListText(oneDay, {}),
              "Passes from 2026-10-10 00:00:00 for 1 day, in local time (UTC = local time + 5.1 h)\n"
              "Clears: the maximum is above the minimum pass elevation of MIRADOS.CFG, 0.0 degrees\n"
              "\n"
              "Date        Satellite  Entry      AOS       LOS       Max El  Az AOS  Az LOS  Clears\n");
}

TEST(PassList, FatalErrorsOfTheFilesGoToStandardErrorWithTheScreensTexts) {
    {
        Rig rig(schedulerConfig(scheduled));
        std::filesystem::remove(rig.dir.path() / "MIRADOS.CFG");
        const Printed printed = print(rig.mc.console, 2);
        EXPECT_EQ(printed.status, 1);
        EXPECT_EQ(printed.out, "");
        EXPECT_EQ(printed.err, "ERROR: Could not find MIRADOS.CFG file! Cannot continue.\n");
    }
    {
        Rig rig(schedulerConfig({"ISS", "NO-SUCH-SAT"}));
        const Printed printed = print(rig.mc.console, 2);
        EXPECT_EQ(printed.status, 1);
        EXPECT_EQ(printed.err, "ERROR: Keplerian data file has no data for NO-SUCH-SAT. Cannot continue.\n");
    }
    {
        // Entries the schedule leaves out are named once, and the others listed.
        Rig rig(schedulerConfig({"~B", "ISS"}, {"~B"}));
        const Printed printed = print(rig.mc.console, 1);
        EXPECT_EQ(printed.status, 0);
        EXPECT_EQ(printed.err, "Left out: ~B (no satellite name)\n");
        EXPECT_NE(printed.out.find("  ISS  "), std::string::npos);
    }
}

}  // namespace
}  // namespace station::testing
