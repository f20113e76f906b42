#pragma once
// The scheduler's pass tables: the element slots of its entries, the schedule built from the
// scheduled entries and the non-scheduled table built from the watched ones.
#include "console/screen.hpp"
#include "orbit/elements.hpp"
#include "orbit/orbit_model.hpp"
#include "orbit/time_base.hpp"
#include "config/scheduler_settings.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace station {

// Two passes for each of the 15 entries.
inline constexpr int passRowCount = 2 * entryCount;
// Rows of the schedule shown in the left panel (screen rows 8 to 20).
inline constexpr int shownScheduleRows = 13;

struct ElementSlot {
    SatelliteOrbit orbit;       // the entry's element set under the station's orbit model
    bool loaded = false;        // an element set was ever read into this slot
    std::int16_t riseFlag = 0;  // watched entries: 1 once the rise above 0 degrees was announced
    Sgp4Error shownModelError = Sgp4Error::none;  // watched entries: the model's error last reported
};
using SlotList = std::array<ElementSlot, entryCount>;

struct PassRow {
    std::string entry;     // the whole entry, suffix included; "" is an empty row
    int year = 0;          // the year the search started in, whose scale the day numbers use
    double aosUtc = 0;     // day numbers
    double aosLocal = 0;
    double losUtc = 0;
    double losLocal = 0;
    double maxElevation = 0;  // radians, computed in single precision

    bool empty() const { return entry.empty(); }
    // AOS and LOS on the scale that runs on across the turn of the year.
    double aosDay() const { return continuousDay(year, aosUtc); }
    double losDay() const { return continuousDay(year, losUtc); }
};
using PassTable = std::array<PassRow, passRowCount>;

// An entry that got no row, and why.
struct LeftOutEntry {
    std::string entry;
    std::string reason;
};

// The rise rule of a watched satellite: true (announce it) the first time it is above 0 degrees
// since it was last below; exactly 0 degrees changes nothing.
bool updateRiseFlag(ElementSlot& slot, double elevation);

// Ascending AOS by exchanges, which fixes the order of passes with equal AOS: for each row, every
// later non-empty row with an earlier AOS is swapped in.
void sortPassTable(PassTable& table);

// The left panel's line of one row: entry, AOS and LOS as local times of day, maximum elevation.
void showScheduleRow(Screen& screen, int screenRow, const PassRow& row);

// One message line naming every entry that was left out.
std::string leftOutMessage(const std::vector<LeftOutEntry>& leftOut);

}  // namespace station
