#include "scheduler/pass_list.hpp"

#include "station/date_time.hpp"
#include "station/pass_text.hpp"
#include "station/unexpected_failure.hpp"
#include "text/picture.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>

namespace station {

namespace {

constexpr double degreesPerRadian = 180 / programPi;

// The shortest text that reads back as the value (a float as a float: 5.5, 0.1), with "."
// whatever the locale says.
template <typename Number>
std::string shortestText(Number value) {
    char text[64];
    const auto written = std::to_chars(std::begin(text), std::end(text), value);
    return std::string(text, written.ptr);
}

std::string localDateTimeText(const LocalTime& time) {
    return formatPicture("####", time.year) + "-" + twoDigitText(time.month) + "-" + twoDigitText(time.day) + " " +
           twoDigitText(time.hour) + ":" + twoDigitText(time.minute) + ":" + twoDigitText(time.second);
}

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

std::string rightAligned(const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// A field as a spreadsheet reads it back: quoted when it holds a comma, a quote or a line end.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// The columns of one pass, in the order both forms print them.
std::vector<std::string> columnsOf(const ListedPass& listed, const std::string& noAzimuth) {
    const PassRow& row = listed.pass;
    return {isoDateText(row.year, row.aosLocal),
            row.entry,
            listed.scheduled ? "scheduled" : "watched",
            timeOfDayText(row.aosLocal),
            timeOfDayText(row.losLocal),
            formatPicture("##.#", row.maxElevation * degreesPerRadian),
            listed.geostationary ? noAzimuth : azimuthText(listed.azimuthAtAos),
            listed.geostationary ? noAzimuth : azimuthText(listed.azimuthAtLos),
            listed.clears ? "yes" : "no"};
}

std::vector<std::string> columnsWithFate(const ListedPass& listed, const std::string& noAzimuth) {
    std::vector<std::string> columns = columnsOf(listed, noAzimuth);
    if (!listed.fate.empty()) {
        columns.push_back(listed.fate);
    }
    return columns;
}

void planListedPasses(const Scheduler& scheduler, double now, std::vector<ListedPass>& passes) {
    const SchedulerSettings& settings = scheduler.settings;
    std::vector<PassRow> planned;
    for (const ListedPass& listed : passes) {
        if (listed.scheduled && listed.clears) {
            planned.push_back(listed.pass);
        }
    }
    const PassPlan plan = planPasses(planned, settings.scheduledEntries, settings.overlapRule,
                                     settings.shortestPartMinutes, now);
    auto next = plan.begin();
    for (ListedPass& listed : passes) {
        listed.fate = listed.scheduled && listed.clears ? fateText(plan, *next++, settings.shortestPartMinutes) : "-";
    }
}

void listEntry(Scheduler& scheduler, const std::string& entry, SatelliteOrbit& orbit, bool scheduled,
               double days, std::vector<ListedPass>& passes) {
    ClockTime& clock = scheduler.clock;
    clock = readClock(scheduler.console.clock, scheduler.station.utcOffsetHours);
    const double until = continuousDay(clock.year, dayNumberOf(clock)) + days;
    double lastLos = -std::numeric_limits<double>::infinity();
    for (;;) {
        const PassPrediction found = scheduler.searchPass(orbit);
        if (!found.found || !(continuousDay(found.year, found.aos) < until)) {
            return;
        }
        const PassRow row{entry,         clock.year, found.aos, found.aosLocal, found.los, found.losLocal,
                          static_cast<float>(found.maximumElevation)};
        passes.push_back({row, scheduled, scheduler.clearsMinimum(found), found.geostationary, found.azimuthAtAos,
                          found.azimuthAtLos, {}});
        // The next search starts at this LOS; one that would not move on ends the entry's list.
        const double los = continuousDay(clock.year, dayNumberOf(clock));
        if (!(los > lastLos)) {
            return;
        }
        lastLos = los;
    }
}

}  // namespace

std::vector<ListedPass> listPasses(Scheduler& scheduler, double days) {
    scheduler.startUp();
    const ClockTime start = readClock(scheduler.console.clock, scheduler.station.utcOffsetHours);
    const double now = continuousDay(start.year, dayNumberOf(start));
    scheduler.readSettings();
    scheduler.loadElementSets();
    std::vector<ListedPass> passes;
    std::vector<std::string> listed;
    auto listEntries = [&](const EntryList& entries, SlotList& slots, bool scheduled) {
        for (int i = 0; i < entryCount; ++i) {
            const std::string& entry = entries[i];
            if (entry.empty() || std::find(listed.begin(), listed.end(), entry) != listed.end()) {
                continue;
            }
            listed.push_back(entry);
            std::string problem;
            if (lookupNameOf(entry).empty() || !slots[i].loaded) {
                problem = "no satellite name";
            } else {
                problem = slots[i].orbit.problem;
            }
            if (!problem.empty()) {
                showMessage(scheduler.console.screen, leftOutMessage({{entry, problem}}));
                continue;
            }
            listEntry(scheduler, entry, slots[i].orbit, scheduled, days, passes);
        }
    };
    listEntries(scheduler.settings.scheduledEntries, scheduler.scheduledSlots, true);
    listEntries(scheduler.settings.nonScheduledEntries, scheduler.nonScheduledSlots, false);
    std::stable_sort(passes.begin(), passes.end(), [](const ListedPass& a, const ListedPass& b) {
        return a.pass.aosDay() < b.pass.aosDay();
    });
    if (scheduler.settings.overlapRule != OverlapRule::byAos) {
        planListedPasses(scheduler, now, passes);
    }
    return passes;
}

std::string passListText(const PassListHeading& heading, const std::vector<ListedPass>& passes) {
    const float offset = heading.utcOffsetHours;
    std::string text = "Passes from " + localDateTimeText(heading.from) + " for " + shortestText(heading.days) +
                       (heading.days == 1 ? " day" : " days") + ", in local time (UTC = local time " +
                       (offset < 0 ? "- " : "+ ") + shortestText(std::fabs(offset)) + " h)\n";
    text += "Clears: the maximum is above the minimum pass elevation of MIRADOS.CFG, " +
            elevationText(heading.minimumPassElevation) + " degrees\n\n";

    std::size_t satelliteWidth = 9;
    for (const ListedPass& listed : passes) {
        satelliteWidth = std::max(satelliteWidth, listed.pass.entry.size());
    }
    // Left-aligned columns, then right-aligned numbers, then the last column.
    const std::vector<std::size_t> widths{10, satelliteWidth, 9, 8, 8, 6, 6, 6, 6};
    const std::vector<bool> numeric{false, false, false, false, false, true, true, true, false};
    const bool planned = !passes.empty() && !passes.front().fate.empty();
    auto line = [&](const std::vector<std::string>& columns) {
        std::string out;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i + 1 == columns.size()) {
                out += columns[i];
            } else {
                out += (numeric[i] ? rightAligned(columns[i], widths[i]) : padded(columns[i], widths[i])) + "  ";
            }
        }
        return out + "\n";
    };
    std::vector<std::string> heads{"Date", "Satellite", "Entry", "AOS", "LOS", "Max El", "Az AOS", "Az LOS", "Clears"};
    if (planned) {
        heads.push_back("Fate");
    }
    text += line(heads);
    for (const ListedPass& listed : passes) {
        text += line(columnsWithFate(listed, "-"));
    }
    return text;
}

std::string passListCsv(const std::vector<ListedPass>& passes) {
    std::string text = "date,satellite,entry,aos_local,los_local,max_elevation,azimuth_aos,azimuth_los,clears";
    text += !passes.empty() && !passes.front().fate.empty() ? ",fate\n" : "\n";
    for (const ListedPass& listed : passes) {
        const std::vector<std::string> columns = columnsWithFate(listed, "");
        for (std::size_t i = 0; i < columns.size(); ++i) {
            std::string field = columns[i];
            field.erase(0, field.find_first_not_of(' '));
            text += (i > 0 ? "," : "") + csvField(field);
        }
        text += "\n";
    }
    return text;
}

int printPassList(Console& console, double days, bool csv, std::ostream& out, std::ostream& err) {
    std::vector<std::string> shown;
    const MessageListener toStandardError(console.screen, [&](std::string_view text) {
        if (!text.empty() && std::find(shown.begin(), shown.end(), text) == shown.end()) {
            shown.emplace_back(text);
            err << text << '\n';
        }
    });

    Scheduler scheduler(console);
    scheduler.fatalErrorsTo = &err;
    const LocalTime from = console.clock.now();
    try {
        reportingUnexpectedFailures(
            [&] {
                const std::vector<ListedPass> passes = listPasses(scheduler, days);
                const PassListHeading heading{from, days, scheduler.station.utcOffsetHours,
                                              scheduler.settings.minimumPassElevation};
                out << (csv ? passListCsv(passes) : passListText(heading, passes));
            },
            [&](int errorNumber) { scheduler.failUnexpectedly(errorNumber); });
    } catch (const ProgramExit& exit) {
        return exit.status;
    }
    out.flush();
    return out ? 0 : 1;
}

}  // namespace station
