#include "scheduler/schedule.hpp"

#include "orbit/constants.hpp"
#include "scheduler/scheduler.hpp"
#include "text/picture.hpp"

#include <optional>
#include <utility>

namespace station {

namespace {
constexpr double degreesPerRadian = 180 / programPi;
// The left panel ends before the divider at column 40.
constexpr std::size_t leftPanelEntryWidth = 37;
constexpr int firstScheduleScreenRow = 8;
}  // namespace

void sortPassTable(PassTable& table) {
    for (int c = 0; c < passRowCount - 1; ++c) {
        for (int e = c + 1; e < passRowCount; ++e) {
            // An empty row counts with the AOS of 0 that an emptied table holds: it never moves
            // and no filled row moves behind it.
            const double aosC = table[c].empty() ? 0.0 : table[c].aosDay();
            if (!table[e].empty() && aosC > table[e].aosDay()) {
                std::swap(table[c], table[e]);
            }
        }
    }
}

void showScheduleRow(Screen& screen, int screenRow, const PassRow& row) {
    screen.printAt(screenRow, 3, std::string_view(row.entry).substr(0, leftPanelEntryWidth));
    screen.printAt(screenRow, 12, timeOfDayText(row.aosLocal));
    screen.printAt(screenRow, 22, timeOfDayText(row.losLocal));
    screen.printAt(screenRow, 32, formatPicture("##.#", row.maxElevation * degreesPerRadian));
}

std::string leftOutMessage(const std::vector<LeftOutEntry>& leftOut) {
    std::string message;
    for (const LeftOutEntry& item : leftOut) {
        message += (message.empty() ? "Left out: " : ", ") + item.entry + " (" + item.reason + ")";
    }
    return message;
}

void Scheduler::loadElementSets() {
    loadSlots(settings.scheduledEntries, scheduledSlots);
    loadSlots(settings.nonScheduledEntries, nonScheduledSlots);
}

void Scheduler::loadSlots(const EntryList& entries, SlotList& slots) {
    for (int i = 0; i < entryCount; ++i) {
        const std::string lookupName = lookupNameOf(entries[i]);
        if (lookupName.empty()) {
            continue;
        }
        const auto elements = readElementSet(console.files, station.elementFileName, lookupName);
        if (!elements) {
            fail(elements.error() == ElementFailure::fileNotFound     ? SchedulerFailure::elementFileMissing
                 : elements.error() == ElementFailure::fileUnreadable ? SchedulerFailure::elementFileBad
                                                                      : SchedulerFailure::satelliteMissing,
                 lookupName);
        }
        slots[i].orbit = satelliteOrbit(station.orbitModel, *elements);
        slots[i].loaded = true;
    }
}

PassTable Scheduler::buildPassTable(const EntryList& entries, SlotList& slots) {
    PassTable table;
    leftOut.clear();
    const std::string noPass = "no pass high enough in " + std::to_string(static_cast<int>(searchBoundDays)) + " days";
    int n = 0;
    for (int i = 0; i < entryCount; ++i) {
        const std::string& entry = entries[i];
        if (entry.empty()) {
            continue;
        }
        // A slot whose entry names no satellite would hold another satellite's elements, or none.
        if (lookupNameOf(entry).empty() || !slots[i].loaded) {
            leftOut.push_back({entry, "no satellite name"});
            continue;
        }
        SatelliteOrbit& orbit = slots[i].orbit;
        if (!orbit.problem.empty()) {
            leftOut.push_back({entry, orbit.problem});
            continue;
        }
        // A search that met an instant the model has no state for (a decay) says so.
        Sgp4Error modelError = Sgp4Error::none;
        clock = readClock(console.clock, station.utcOffsetHours);
        for (int pass = 0; pass < 2; ++pass) {
            const double searchStart = continuousDay(clock.year, dayNumberOf(clock));
            std::optional<PassPrediction> qualifying;
            double resumedAt = searchStart;
            for (;;) {
                const PassPrediction found = searchPass(orbit);
                if (found.modelError != Sgp4Error::none) {
                    modelError = found.modelError;
                }
                if (!found.found) {
                    break;
                }
                if (clearsMinimum(found)) {
                    qualifying = found;
                    break;
                }
                // Low passes are passed over from their LOS, but not for ever, nor from a LOS that
                // is no later than the last resumption (a step far longer than a pass can put the
                // pass found before it), nor from a clock that no longer reads as a number.
                const double los = continuousDay(clock.year, dayNumberOf(clock));
                if (!(los - searchStart <= searchBoundDays) || !(los > resumedAt)) {
                    break;
                }
                resumedAt = los;
            }
            if (!qualifying) {
                leftOut.push_back(
                    {entry, modelError == Sgp4Error::none ? noPass : sgp4ErrorText(modelError)});
                break;
            }
            table[n++] = PassRow{entry,
                                 clock.year,
                                 qualifying->aos,
                                 qualifying->aosLocal,
                                 qualifying->los,
                                 qualifying->losLocal,
                                 static_cast<float>(qualifying->maximumElevation)};
        }
    }
    sortPassTable(table);
    return table;
}

PassPrediction Scheduler::searchPass(SatelliteOrbit& orbit) {
    return predictPass(constants, orbit, observerOf(station), searchSettings(), clock, satellite, display_);
}

bool Scheduler::clearsMinimum(const PassPrediction& pass) const {
    return static_cast<float>(pass.maximumElevation) > settings.minimumPassElevation;
}

void Scheduler::buildSchedule() {
    schedule = buildPassTable(settings.scheduledEntries, scheduledSlots);
    plan.clear();
    if (settings.overlapRule != OverlapRule::byAos) {
        planSchedule();
    }
    showSchedule();
    if (!leftOut.empty()) {
        showMessage(console.screen, leftOutMessage(leftOut));
    }
}

void Scheduler::showSchedule() {
    for (int d = 0; d < shownScheduleRows; ++d) {
        if (!schedule[d].empty()) {
            showScheduleRow(console.screen, firstScheduleScreenRow + d, schedule[d]);
            if (const PlannedPass* planned = plannedPassOf(schedule[d])) {
                showCutMarks(console.screen, firstScheduleScreenRow + d, *planned);
            }
        }
    }
}

void Scheduler::buildNonScheduledTable() {
    nonScheduledTable = buildPassTable(settings.nonScheduledEntries, nonScheduledSlots);
    if (!leftOut.empty()) {
        showMessage(console.screen, leftOutMessage(leftOut));
    }
}

}  // namespace station
