#include "scheduler/plan.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace station::testing {
namespace {

constexpr double base = 283.0;  // 2026-10-10 00:00 UTC; times below are minutes after it
const double baseDay = continuousDay(2026, base);

struct Pass {
    std::string entry;
    double aos, los, elevation;  // minutes, degrees
};

struct PlanCase {
    std::string name;
    OverlapRule rule;
    double now;
    std::vector<Pass> passes;
    std::string expected;  // each pass in the order given: entry, fate, part, the pass it gave way to
};

std::string planned(const PlanCase& c) {
    std::vector<PassRow> rows;
    for (const Pass& p : c.passes) {
        const double aos = base + p.aos / 1440;
        const double los = base + p.los / 1440;
        rows.push_back({p.entry, 2026, aos, aos, los, los, p.elevation * 3.1415926535898 / 180});
    }
    const PassPlan plan = planPasses(rows, {"A", "B", "C"}, c.rule, 3, baseDay + c.now / 1440);
    std::string text;
    const auto minutes = [](double day) { return std::to_string(std::lround((day - baseDay) * 1440)); };
    for (const PlannedPass& p : plan) {
        text += (text.empty() ? "" : ", ") + p.pass.entry + " " +
                (p.fate == PassFate::run ? "run" : p.fate == PassFate::cut ? "cut" : "dropped");
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
    const auto higher = OverlapRule::higherFirst;
    const std::vector<PlanCase> cases{
        {"nested: the longer free side", list, -60, {{"B", 0, 30, 20}, {"A", 10, 15, 20}},
         "B cut 15-30 for A10, A run 10-15"},
        {"chained", list, -60, {{"C", 0, 12, 20}, {"B", 10, 22, 20}, {"A", 20, 30, 20}},
         "C cut 0-9 for B10, B cut 10-19 for A20, A run 20-30"},
        {"equal passes", list, -60, {{"B", 0, 10, 20}, {"A", 0, 10, 20}}, "B dropped for A0, A run 0-10"},
        {"a tie goes to the earlier AOS", list, -60, {{"A", 0, 10, 20}, {"A", 5, 20, 20}},
         "A run 0-10, A cut 10-20 for A0"},
        {"guard only before a taken part", list, -60, {{"A", 0, 10, 20}, {"B", 10, 20, 20}, {"C", 17, 25, 20}},
         "A run 0-10, B run 10-20, C cut 20-25 for B10"},
        {"higher first, then the list", higher, -60, {{"A", 0, 10, 20}, {"C", 5, 15, 60}, {"B", 15, 25, 60}},
         "A cut 0-4 for C5, C cut 5-14 for B15, B run 15-25"},
        {"under 3 minutes free", list, -60, {{"A", 10, 20, 20}, {"B", 0, 12, 20}, {"C", 30, 32, 20}},
         "A run 10-20, B cut 0-9 for A10, C dropped"},
        {"in progress: what is left counts", list, 5, {{"B", 0, 20, 20}, {"A", 12, 25, 20}},
         "B cut 0-11 for A12, A run 12-25"},
        {"in progress: too little left", list, 9, {{"B", 0, 20, 20}, {"A", 12, 25, 20}},
         "B dropped for A12, A run 12-25"},
    };
    for (const PlanCase& c : cases) {
        EXPECT_EQ(planned(c), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace station::testing
