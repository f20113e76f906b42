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

// How passes that overlap share the station (value 35).
enum class OverlapRule : std::int16_t {
    byAos = 0,       // each job runs to its end; an overlapping pass gets what is left of it
    listOrder = 1,   // the scheduled list's order is the priority, entry 1 first
    higherFirst = 2  // the higher maximum elevation first, then the list order
};
// A part of a pass shorter than this is worth no job when value 36 is missing or 0.
inline constexpr float defaultShortestPartMinutes = 3;
using EntryList = std::array<std::string, entryCount>;

struct SchedulerSettings {
    EntryList scheduledEntries;     // passes of these start jobs; "" is an empty slot
    EntryList nonScheduledEntries;  // watched only: real-time view and pass list
    float minimumPassElevation = 0; // radians; a pass is listed only when it peaks above this
    std::int16_t backgroundColour = 0;
    std::int16_t foregroundColour = 0;
    std::int16_t highlightColour = 0;
    OverlapRule overlapRule = OverlapRule::byAos;
    float shortestPartMinutes = defaultShortestPartMinutes;  // under rules 1 and 2
};

// The 34 values and the two optional ones from already opened lines; the reader is the station
// configuration's.
Result<SchedulerSettings, FileFailure> parseSchedulerSettings(LineReader& lines);

// Reads MIRADOS.CFG.
Result<SchedulerSettings, FileFailure> readSchedulerSettings(const Files& files);
// The two entry lists alone (the other values stay at their defaults), for a program that needs
// only the names: a value after them that cannot be stored does not matter to it.
Result<SchedulerSettings, FileFailure> readSchedulerEntries(const Files& files);

}  // namespace station
