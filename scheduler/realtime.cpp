#include "scheduler/scheduler.hpp"

#include "text/picture.hpp"

namespace station {

namespace {
constexpr int panelColumn = 42;
constexpr int panelFirstRow = 6;
constexpr int panelLastRow = 22;
// The panel's text ends before the frame at column 80.
constexpr std::size_t panelEntryWidth = 38;
constexpr int firstPanelDataRow = 8;
// Azimuth, elevation and range: columns 51 to 74.
constexpr std::size_t panelValuesWidth = 24;
// A listed pass this long after its LOS (25.92 s) makes the list be computed again.
constexpr double listExpiryDays = 0.0003;
}  // namespace

bool updateRiseFlag(ElementSlot& slot, double elevation) {
    if (elevation > 0 && slot.riseFlag == 0) {
        slot.riseFlag = 1;
        return true;
    }
    if (elevation < 0) {
        slot.riseFlag = 0;
    }
    return false;
}

void Scheduler::showPanel() {
    if (displayMode > 0) {
        showRealtimeView();
    } else {
        showNonScheduledPasses();
    }
}

void Scheduler::showRealtimeView() {
    Screen& s = console.screen;
    s.printAt(6, panelColumn, "            Realtime              ");
    s.printAt(7, panelColumn, "Sat       Azim     Elev    Range  ");
    const auto outOfDate = [this] { showMessage(console.screen, "Keps out of date!"); };
    const ObserverSite site = observer();
    for (int a = 0; a < entryCount; ++a) {
        const std::string& entry = settings.nonScheduledEntries[a];
        ElementSlot& slot = nonScheduledSlots[a];
        if (entry.empty() || lookupNameOf(entry).empty() || !slot.loaded || !slot.orbit.problem.empty()) {
            continue;
        }
        const Sgp4Error error = sampleOrbit(constants, slot.orbit, site, clock, satellite, outOfDate);
        const int row = firstPanelDataRow + a;
        if (error != Sgp4Error::none) {
            // No position: the values are blanked rather than left at the last one, and the
            // message line says why once.
            s.printAt(row, panelColumn, std::string_view(entry).substr(0, panelEntryWidth));
            s.printAt(row, 51, std::string(panelValuesWidth, ' '));
            if (error != slot.shownModelError) {
                showMessage(s, entry + ": " + sgp4ErrorText(error));
            }
            slot.shownModelError = error;
            continue;
        }
        slot.shownModelError = Sgp4Error::none;
        // The highlight and the beep use the geometric horizon, not the station's minimum.
        const bool above = satellite.elevation > 0;
        if (above) {
            s.setColours(settings.highlightColour, settings.backgroundColour);
        }
        s.printAt(row, panelColumn, std::string_view(entry).substr(0, panelEntryWidth));
        s.printAt(row, 51, formatPicture("####.##", satellite.azimuth * constants.degreesPerRadian));
        s.printAt(row, 59, formatPicture("####.##", satellite.elevation * constants.degreesPerRadian));
        s.printAt(row, 68, formatPicture("#####.#", satellite.range));
        setNormalColours();
        if (updateRiseFlag(slot, satellite.elevation)) {
            s.beep();
        }
    }
}

void Scheduler::showNonScheduledPasses() {
    Screen& s = console.screen;
    if (listRefreshFlag == 1) {
        buildNonScheduledTable();
        listRefreshFlag = 0;
        clearPanel();
    }
    const double now = readNow();
    s.printAt(6, panelColumn, "       Non-scheduled passes        ");
    s.printAt(7, panelColumn, "Sat      AOS       LOS       El   ");
    for (int c = 0; c < entryCount; ++c) {
        const PassRow& row = nonScheduledTable[c];
        if (row.empty()) {
            continue;
        }
        if (row.aosDay() < now && row.losDay() > now) {
            s.setColours(settings.highlightColour, settings.backgroundColour);
        }
        if (now - listExpiryDays > row.losDay()) {
            listRefreshFlag = 1;
        }
        const int screenRow = firstPanelDataRow + c;
        s.printAt(screenRow, panelColumn, std::string_view(row.entry).substr(0, panelEntryWidth));
        s.printAt(screenRow, 51, timeOfDayText(row.aosLocal));
        s.printAt(screenRow, 61, timeOfDayText(row.losLocal));
        s.printAt(screenRow, 71, formatPicture("##.#", row.maxElevation * constants.degreesPerRadian));
        setNormalColours();
    }
}

void Scheduler::clearPanel() {
    for (int row = panelFirstRow; row <= panelLastRow; ++row) {
        console.screen.printAt(row, panelColumn, std::string(33, ' '));
    }
}

}  // namespace station
