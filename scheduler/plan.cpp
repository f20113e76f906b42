#include "scheduler/plan.hpp"

#include "orbit/time_base.hpp"
#include "station/pass_text.hpp"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <numeric>

namespace station {

namespace {

constexpr double minutesPerDay = 1440;

// A free stretch of a pass's window, continuous days, and the passes whose parts bound it.
struct FreeSpan {
    double start;
    double end;
    int startBy = -1;
    int endBy = -1;
};

int listPlace(const EntryList& entries, const std::string& entry) {
    return static_cast<int>(std::find(entries.begin(), entries.end(), entry) - entries.begin());
}

// The pass's row with its times moved to [start, end].
PassRow partOf(const PassRow& pass, double start, double end) {
    PassRow part = pass;
    if (start != pass.aosDay()) {
        part.aosUtc += start - pass.aosDay();
        part.aosLocal += start - pass.aosDay();
    }
    if (end != pass.losDay()) {
        part.losUtc += end - pass.losDay();
        part.losLocal += end - pass.losDay();
    }
    return part;
}

// "3", "2.5": the shortest text that reads back as the value, whatever the locale.
std::string minutesText(float minutes) {
    char text[32];
    return std::string(text, std::to_chars(std::begin(text), std::end(text), minutes).ptr);
}

}  // namespace

PassPlan planPasses(const std::vector<PassRow>& passes, const EntryList& entries, OverlapRule rule,
                    float shortestPartMinutes, double now) {
    std::vector<int> rank(passes.size());
    std::iota(rank.begin(), rank.end(), 0);
    std::stable_sort(rank.begin(), rank.end(), [&](int a, int b) {
        const PassRow& x = passes[a];
        const PassRow& y = passes[b];
        if (rule == OverlapRule::higherFirst && x.maxElevation != y.maxElevation) {
            return x.maxElevation > y.maxElevation;
        }
        const int placeX = listPlace(entries, x.entry);
        const int placeY = listPlace(entries, y.entry);
        return placeX != placeY ? placeX < placeY : x.aosDay() < y.aosDay();
    });

    PassPlan plan(passes.size());
    std::vector<int> taken;  // in rank order
    for (const int i : rank) {
        PlannedPass& planned = plan[i];
        planned.pass = passes[i];
        std::vector<FreeSpan> free{{passes[i].aosDay(), passes[i].losDay()}};
        for (const int t : taken) {
            const double blockedFrom = plan[t].part.aosDay() - planGuardDays;
            const double blockedTo = plan[t].part.losDay();
            std::vector<FreeSpan> left;
            for (const FreeSpan& span : free) {
                if (blockedFrom >= span.end || blockedTo <= span.start) {
                    left.push_back(span);
                    continue;
                }
                if (blockedFrom > span.start) {
                    left.push_back({span.start, blockedFrom, span.startBy, t});
                }
                if (blockedTo < span.end) {
                    left.push_back({blockedTo, span.end, t, span.endBy});
                }
            }
            free = std::move(left);
        }
        // What is left of a span from now on; the earlier of two equal spans.
        const auto remaining = [now](const FreeSpan& span) { return span.end - std::max(span.start, now); };
        const auto longest = std::max_element(
            free.begin(), free.end(),
            [&](const FreeSpan& a, const FreeSpan& b) { return remaining(a) < remaining(b); });
        if (longest == free.end() || remaining(*longest) * minutesPerDay < shortestPartMinutes) {
            planned.fate = PassFate::dropped;
            const auto overlapping = std::find_if(taken.begin(), taken.end(), [&](int t) {
                return plan[t].part.aosDay() - planGuardDays < passes[i].losDay() &&
                       plan[t].part.losDay() > passes[i].aosDay();
            });
            planned.gaveWayTo = overlapping != taken.end() ? *overlapping : -1;
            continue;
        }
        planned.part = partOf(passes[i], longest->start, longest->end);
        if (longest->endBy >= 0 || longest->startBy >= 0) {
            planned.fate = PassFate::cut;
            planned.gaveWayTo = longest->endBy >= 0 ? longest->endBy : longest->startBy;
        }
        taken.push_back(i);
    }
    return plan;
}

PlanCounts countPlan(const PassPlan& plan) {
    PlanCounts counts;
    for (const PlannedPass& planned : plan) {
        ++(planned.fate == PassFate::run   ? counts.run
           : planned.fate == PassFate::cut ? counts.cut
                                           : counts.dropped);
    }
    return counts;
}

std::string fateText(const PassPlan& plan, const PlannedPass& planned, float shortestPartMinutes) {
    const PlannedPass* other = planned.gaveWayTo >= 0 ? &plan[planned.gaveWayTo] : nullptr;
    switch (planned.fate) {
        case PassFate::run:
            return "run";
        case PassFate::cut:
            return "cut to " + timeOfDayText(planned.part.aosLocal) + "-" +
                   timeOfDayText(planned.part.losLocal) + " for " + other->pass.entry;
        case PassFate::dropped:
            break;
    }
    if (other == nullptr) {
        return "dropped: under " + minutesText(shortestPartMinutes) + " min";
    }
    return "dropped for " + other->pass.entry + " at " + timeOfDayText(other->part.aosLocal);
}

std::string planLogText(const PassPlan& plan, const PlannedPass& planned, float shortestPartMinutes) {
    const PassRow& pass = planned.pass;
    const PassRow& part = planned.part;
    const PlannedPass* other = planned.gaveWayTo >= 0 ? &plan[planned.gaveWayTo] : nullptr;
    switch (planned.fate) {
        case PassFate::run:
            return {};
        case PassFate::cut:
            return "Plan: " + pass.entry + " cut to " +
                   passLogText(part.year, part.aosUtc, part.losUtc, pass.maxElevation) + ": " +
                   other->pass.entry + " has priority";
        case PassFate::dropped:
            break;
    }
    return "Plan: " + pass.entry + " dropped, " +
           (other != nullptr ? other->pass.entry + " has priority"
                             : "less than " + minutesText(shortestPartMinutes) + " minutes left") +
           ": " + passLogText(pass.year, pass.aosUtc, pass.losUtc, pass.maxElevation);
}

void showCutMarks(Screen& screen, int screenRow, const PlannedPass& planned) {
    if (planned.cutAtStart()) {
        screen.printAt(screenRow, 20, "*");
    }
    if (planned.cutAtEnd()) {
        screen.printAt(screenRow, 30, "*");
    }
}

std::string cutJobText(const std::string& jobFile, const PassPlan& plan, const PlannedPass& planned) {
    return "Job " + jobFile + " ended at " + timeOfDayText(planned.part.losLocal) + ": " +
           plan[planned.gaveWayTo].pass.entry + " has priority.";
}

}  // namespace station
