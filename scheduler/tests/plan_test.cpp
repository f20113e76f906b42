#include "scheduler/plan.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace station::testing {
namespace {

const double baseDay = continuousDay(2026, 283.0);  // 2026-10-10 00:00 UTC

// Passes as "ENTRY AOS-LOS ELEVATION ...", minutes after baseDay and degrees; the plan as each
// pass's entry, fate, part and the pass it gave way to, in the order given.
std::string planned(OverlapRule rule, double now, const std::string& passes) {
    std::vector<PassRow> rows;
    std::istringstream in(passes);
    std::string entry;
    double aos = 0, los = 0, elevation = 0;
    char dash = 0;
    while (in >> entry >> aos >> dash >> los >> elevation) {
        rows.push_back({entry, 2026, 283 + aos / 1440, 283 + aos / 1440, 283 + los / 1440, 283 + los / 1440,
                        elevation * 3.1415926535898 / 180});
    }
    const PassPlan plan = planPasses(rows, {"A", "B", "C"}, rule, 3, baseDay + now / 1440);
    const auto minutes = [](double day) { return std::to_string(std::lround((day - baseDay) * 1440)); };
    std::string text;
    for (const PlannedPass& p : plan) {
        text += (text.empty() ? "" : ", ") + p.pass.entry +
                (p.fate == PassFate::run ? " run" : p.fate == PassFate::cut ? " cut" : " dropped");
        if (p.fate != PassFate::dropped) {
            text += " " + minutes(p.part.aosDay()) + "-" + minutes(p.part.losDay());
        }
        if (p.gaveWayTo >= 0) {
            text += " for " + plan[p.gaveWayTo].pass.entry + minutes(plan[p.gaveWayTo].pass.aosDay());
        }
    }
    return text;
}

TEST(Plan, RankOrderWindowsLessTakenPartsAndTheirGuard) {
    const auto list = OverlapRule::listOrder;
    // Nested (the longer free side), chained, equal passes, a tie (to the earlier AOS), the guard
    // only before a taken part, a part under 3 minutes, the higher first, passes in progress.
    const struct { OverlapRule rule; double now; std::string passes, expected; } cases[] = {
        {list, -60, "B 0-30 20  A 10-15 20", "B cut 15-30 for A10, A run 10-15"},
        {list, -60, "C 0-12 20  B 10-22 20  A 20-30 20", "C cut 0-9 for B10, B cut 10-19 for A20, A run 20-30"},
        {list, -60, "B 0-10 20  A 0-10 20", "B dropped for A0, A run 0-10"},
        {list, -60, "A 0-10 20  A 5-20 20", "A run 0-10, A cut 10-20 for A0"},
        {list, -60, "A 0-10 20  B 10-20 20  C 17-25 20", "A run 0-10, B run 10-20, C cut 20-25 for B10"},
        {list, -60, "A 10-20 20  B 0-12 20  C 30-32 20", "A run 10-20, B cut 0-9 for A10, C dropped"},
        {OverlapRule::higherFirst, -60, "A 0-10 20  C 5-15 60  B 15-25 60",
         "A cut 0-4 for C5, C cut 5-14 for B15, B run 15-25"},
        {list, 5, "B 0-20 20  A 12-25 20", "B cut 0-11 for A12, A run 12-25"},
        {list, 9, "B 0-20 20  A 12-25 20", "B dropped for A12, A run 12-25"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(planned(c.rule, c.now, c.passes), c.expected) << c.passes;
    }
}

}  // namespace
}  // namespace station::testing
