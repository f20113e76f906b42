#include "scheduler/all_passes.hpp"
#include "scheduler/pass_list.hpp"
#include "scheduler/tests/rig.hpp"
#include "text/testsupport/lines.hpp"

#include <fstream>
#include <set>
#include <sstream>

namespace station::testing {
namespace {

struct Printed {
    int status = -1;
    std::string out;
    std::string err;
};

Printed printAll(Console& console, double days) {
    std::ostringstream out;
    std::ostringstream err;
    AllPassesOptions options;
    options.days = days;
    options.csv = true;
    const int status = printAllPasses(console, options, out, err);
    return {status, out.str(), err.str()};
}

// Every pass of an entry that clears the minimum is in both lists, to the second and the tenth of
// a degree; the other sets of the file are listed too, not as entries.
TEST(AllPasses, ListsWhatThePassListListsForItsEntries) {
    Rig rig(schedulerConfig({"ISS", "SO-50", "AO-7"}, {"NOAA-19"}));
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(printPassList(rig.mc.console, 2, true, out, err), 0);
    std::set<std::string> entryLines;
    for (const std::string& line : linesOf(out.str())) {
        if (line.ends_with(",yes")) {
            entryLines.insert(line);
        }
    }
    ASSERT_GT(entryLines.size(), 20u);

    const Printed all = printAll(rig.mc.console, 2);
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.err, "");
    std::set<std::string> allEntryLines;
    std::set<std::string> others;
    for (const std::string& line : linesOf(all.out)) {
        EXPECT_TRUE(line.ends_with(",yes") || line.starts_with("date,")) << line;
        if (line.find(",-,") != std::string::npos) {
            others.insert(line.substr(11, line.find(',', 11) - 11));
        } else if (!line.starts_with("date,")) {
            allEntryLines.insert(line);
        }
    }
    EXPECT_EQ(allEntryLines, entryLines);
    EXPECT_GT(others.size(), 10u);
    EXPECT_EQ(others.count("ISS"), 0u);
}

// Broken sets among good ones are counted and named in one line; the others are listed.
TEST(AllPasses, BrokenSetsAreNamedAndTheRestListed) {
    Rig rig(schedulerConfig({"ISS"}));
    std::ifstream demo(demoDir() / "KEPS.TXT");
    std::stringstream file;
    file << demo.rdbuf();
    const std::string iss1 = "1 25544U 98067A   26282.82140208  .00006479  00000+0  12652-3 0  9999";
    const std::string iss2 = "2 25544  51.6314  92.7969 0006774 242.6225 117.4075 15.48793003589525";
    file << "SHORT\n" << iss1 << "\n" << iss2.substr(0, 40) << "\n"
         << "CHECKSUM\n" << iss1.substr(0, 68) << "8\n" << iss2 << "\n"
         << "NO LINES\n"
         << "LONE\n" << iss1 << "\n"
         << "TWO SATELLITES\n" << iss1 << "\n2 25545" << iss2.substr(7, 61) << "6\n";
    rig.dir.write("KEPS.TXT", file.str());

    const Printed all = printAll(rig.mc.console, 1);
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.err,
              "Left out 5 of 30 sets: SHORT (element line too short), CHECKSUM (checksum error), NO LINES (no "
              "element lines), LONE (element line without its partner), TWO SATELLITES (element lines of two "
              "satellites)\n");
    EXPECT_NE(all.out.find(",ISS,scheduled,"), std::string::npos);
    EXPECT_NE(all.out.find(",NOAA-19,-,"), std::string::npos);
}

}  // namespace
}  // namespace station::testing
