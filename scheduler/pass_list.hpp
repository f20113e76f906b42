#pragma once
// mirados --passes: the coming passes of the scheduled and watched entries of MIRADOS.CFG over a
// span of days, every pass (not only two per entry), found by the schedule's own pass search and
// printed without the screen, as a table or as comma-separated values.
#include "console/clock.hpp"
#include "console/console.hpp"
#include "scheduler/schedule.hpp"
#include "scheduler/scheduler.hpp"

#include <iosfwd>
#include <string>
#include <vector>

namespace station {

struct ListedPass {
    PassRow pass;            // as a row of the schedule holds it
    bool scheduled = false;  // an entry whose passes start jobs; else a watched one
    bool clears = false;     // the maximum is above MIRADOS.CFG's minimum pass elevation
    bool geostationary = false;
    float azimuthAtAos = 0;  // radians
    float azimuthAtLos = 0;
    std::string fate;  // under overlap rules 1 and 2 what the plan gives the pass (fateText), "-" for others
};

// The span and the values the heading of the table names.
struct PassListHeading {
    LocalTime from;               // the computer's clock when the list was made
    double days = 0;
    float utcOffsetHours = 0;     // value 17 of KELVORIN.CFG
    float minimumPassElevation = 0;  // radians
};

// The span's passes can be listed up to this many days ahead: the bound of the schedule's own
// searches, within which the single-precision clock fields of a search keep their fine step.
inline constexpr double passListMaximumDays = 10;

// Reads the station files as a scheduling cycle does, then searches each entry's passes from
// the clock on, each search from the LOS before (as the schedule's searches run), until one
// begins after the span. An entry in both lists is listed once, as scheduled. Sorted by AOS.
// Under overlap rules 1 and 2 the scheduled passes that clear the minimum are planned together.
std::vector<ListedPass> listPasses(Scheduler& scheduler, double days);

// Two heading lines, a blank line, the column heads and one line per pass, in local time.
std::string passListText(const PassListHeading& heading, const std::vector<ListedPass>& passes);
// A header line and one line per pass; ISO dates, local times.
std::string passListCsv(const std::vector<ListedPass>& passes);

// Reads the station files as a scheduling cycle does and prints the passes of the next `days`
// days to `out`; the messages a cycle would show go to `err`, once each. A fatal error of the
// files goes to `err` with the text the screen shows. Returns the exit status (0, or 1).
int printPassList(Console& console, double days, bool csv, std::ostream& out, std::ostream& err);

}  // namespace station
