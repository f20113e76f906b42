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
    if (panelView == PanelView::realtime) {
        showRealtimeView();
    } else {
        showNonScheduledPasses();
    }
}

void Scheduler::showRealtimeView() {
    drawRealtimeView(computeRealtimeView());
}

RealtimeView Scheduler::computeRealtimeView() {
    RealtimeView view;
    const ObserverSite site = observerOf(station);
    for (int a = 0; a < entryCount; ++a) {
        const std::string& entry = settings.nonScheduledEntries[a];
        ElementSlot& slot = nonScheduledSlots[a];
        if (entry.empty() || lookupNameOf(entry).empty() || !slot.loaded || !slot.orbit.problem.empty()) {
            continue;
        }
        RealtimeRow& row = view.emplace_back();
        row.screenRow = firstPanelDataRow + a;
        row.entry = entry;
        SatelliteState state;
        row.error = sampleOrbit(constants, slot.orbit, site, clock, state, [&row] { row.elementsOutOfDate = true; });
        if (row.error != Sgp4Error::none) {
            row.errorIsNew = row.error != slot.shownModelError;
            slot.shownModelError = row.error;
            continue;
        }
        slot.shownModelError = Sgp4Error::none;
        row.azimuthDegrees = state.azimuth * constants.degreesPerRadian;
        row.elevationDegrees = state.elevation * constants.degreesPerRadian;
        row.rangeKm = state.range;
        row.aboveHorizon = state.elevation > 0;
        row.rose = updateRiseFlag(slot, state.elevation);
    }
    return view;
}

void Scheduler::drawRealtimeView(const RealtimeView& view) {
    Screen& screen = console.screen;
    screen.printAt(6, panelColumn, "            Realtime              ");
    screen.printAt(7, panelColumn, "Sat       Azim     Elev    Range  ");
    for (const RealtimeRow& row : view) {
        if (row.elementsOutOfDate) {
            showMessage(screen, "Keps out of date!");
        }
        const std::string_view entry = std::string_view(row.entry).substr(0, panelEntryWidth);
        if (row.error != Sgp4Error::none) {
            // No position: the values are blanked rather than left at the last one, and the
            // message line says why once.
            screen.printAt(row.screenRow, panelColumn, entry);
            screen.printAt(row.screenRow, 51, std::string(panelValuesWidth, ' '));
            if (row.errorIsNew) {
                showMessage(screen, row.entry + ": " + sgp4ErrorText(row.error));
            }
            continue;
        }
        if (row.aboveHorizon) {
            screen.setColours(settings.highlightColour, settings.backgroundColour);
        }
        screen.printAt(row.screenRow, panelColumn, entry);
        screen.printAt(row.screenRow, 51, formatPicture("####.##", row.azimuthDegrees));
        screen.printAt(row.screenRow, 59, formatPicture("####.##", row.elevationDegrees));
        screen.printAt(row.screenRow, 68, formatPicture("#####.#", row.rangeKm));
        setNormalColours();
        if (row.rose) {
            screen.beep();
        }
    }
}

void Scheduler::showNonScheduledPasses() {
    Screen& screen = console.screen;
    if (passList == PassListState::stale) {
        buildNonScheduledTable();
        passList = PassListState::current;
        clearPanel();
    }
    const double now = readNow();
    screen.printAt(6, panelColumn, "       Non-scheduled passes        ");
    screen.printAt(7, panelColumn, "Sat      AOS       LOS       El   ");
    for (int c = 0; c < entryCount; ++c) {
        const PassRow& row = nonScheduledTable[c];
        if (row.empty()) {
            continue;
        }
        if (row.aosDay() < now && row.losDay() > now) {
            screen.setColours(settings.highlightColour, settings.backgroundColour);
        }
        if (now - listExpiryDays > row.losDay()) {
            passList = PassListState::stale;
        }
        const int screenRow = firstPanelDataRow + c;
        screen.printAt(screenRow, panelColumn, std::string_view(row.entry).substr(0, panelEntryWidth));
        screen.printAt(screenRow, 51, timeOfDayText(row.aosLocal));
        screen.printAt(screenRow, 61, timeOfDayText(row.losLocal));
        screen.printAt(screenRow, 71, formatPicture("##.#", row.maxElevation * constants.degreesPerRadian));
        setNormalColours();
    }
}

void Scheduler::clearPanel() {
    for (int row = panelFirstRow; row <= panelLastRow; ++row) {
        console.screen.printAt(row, panelColumn, std::string(33, ' '));
    }
}

}  // namespace station
