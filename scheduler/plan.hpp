#pragma once
// The plan of a schedule under overlap rules 1 and 2: which passes get a job, for which part of
// the pass, and which give way. Taken in rank order, each pass keeps its window less the parts
// already given to passes of higher rank and less a guard before each of them, in which the
// rotator swings to the next satellite.
#include "config/scheduler_settings.hpp"
#include "scheduler/schedule.hpp"

#include <string>
#include <vector>

namespace station {

// The rotator's time to swing before a pass of higher rank: 60 s.
inline constexpr double planGuardDays = 60.0 / 86400;

enum class PassFate : std::uint8_t { run, cut, dropped };

struct PlannedPass {
    PassRow pass;  // as the search found it
    PassRow part;  // the part its job has, the pass's own times where nothing cuts it; empty when dropped
    PassFate fate = PassFate::run;
    int gaveWayTo = -1;  // cut or dropped: the plan's pass whose part took its window, -1 for none

    bool cutAtStart() const { return fate == PassFate::cut && part.aosDay() > pass.aosDay(); }
    bool cutAtEnd() const { return fate == PassFate::cut && part.losDay() < pass.losDay(); }
};
// In the order of the passes planned.
using PassPlan = std::vector<PlannedPass>;

// Plans `passes` (rows of the scheduled entries) under `rule` (listOrder or higherFirst): the
// rank is the entry's place in `entries`, or the higher maximum elevation and then that place;
// ties go to the earlier AOS. A pass's longest free part counts from `now` (a continuous day) on,
// so a pass in progress has only what is left of it; a part shorter than `shortestPartMinutes`
// is worth no job and its pass is dropped.
PassPlan planPasses(const std::vector<PassRow>& passes, const EntryList& entries, OverlapRule rule,
                    float shortestPartMinutes, double now);

struct PlanCounts {
    int run = 0;
    int cut = 0;
    int dropped = 0;
};
PlanCounts countPlan(const PassPlan& plan);

// What became of a pass, for the pass list: "run", "cut to 07:41:23-07:50:17 for SO-50",
// "dropped for SO-50 at 07:51:17" or "dropped: under 3 min", in local time.
std::string fateText(const PassPlan& plan, const PlannedPass& planned, float shortestPartMinutes);
// The log's line of a cut or dropped pass, in UTC; "" for a pass that runs whole.
std::string planLogText(const PassPlan& plan, const PlannedPass& planned, float shortestPartMinutes);
// A "*" beside the schedule row's time that a pass of higher rank moved: after the AOS
// (column 20) or after the LOS (column 30).
void showCutMarks(Screen& screen, int screenRow, const PlannedPass& planned);
// The message of a job ended at the end of its part: "Job AO-91.BAT ended at 07:50:17: SO-50
// has priority."
std::string cutJobText(const std::string& jobFile, const PassPlan& plan, const PlannedPass& planned);

}  // namespace station
