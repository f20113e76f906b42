#pragma once
// MIRADOS.CFG: the scheduled and watched satellites, the lowest pass counted and the colours of
// the scheduler's screen. Read again at the start of every scheduling cycle.
#include "console/files.hpp"
#include "console/station_file.hpp"

#include <array>
#include <cstdint>
#include <string>

namespace station {

inline constexpr int entryCount = 15;
using EntryList = std::array<std::string, entryCount>;

struct SchedulerSettings {
    EntryList scheduledEntries;     // passes of these start jobs; "" is an empty slot
    EntryList nonScheduledEntries;  // watched only: real-time view and pass list
    float minimumPassElevation = 0; // radians; a pass is listed only when it peaks above this
    std::int16_t backgroundColour = 0;
    std::int16_t foregroundColour = 0;
    std::int16_t highlightColour = 0;
};

// The 34 values from already opened lines; the reader is the station configuration's.
Result<SchedulerSettings, FileFailure> parseSchedulerSettings(LineReader& lines);

// Reads MIRADOS.CFG.
Result<SchedulerSettings, FileFailure> readSchedulerSettings(const Files& files);
// The two entry lists alone (the other values stay at their defaults), for a program that needs
// only the names: a value after them that cannot be stored does not matter to it.
Result<SchedulerSettings, FileFailure> readSchedulerEntries(const Files& files);

}  // namespace station
