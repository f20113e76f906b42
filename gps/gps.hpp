#pragma once
// The station position from NMEA sentences of a GPS receiver.
#include "console/clock.hpp"
#include "tracker/tracker_state.hpp"

#include <cstddef>

namespace station {

// The longest sentence kept, counted after "$" up to and including the carriage return. The
// standard allows 80; receivers that send more decimals go somewhat beyond. Longer runs of bytes
// without a carriage return are line noise and are dropped.
inline constexpr std::size_t gpsLineLimitCharacters = 128;

// Reads the next sentence of the GPS link into `gpsLine` (after "$", carriage return included),
// keeping the date and time line running and counting clock seconds in `gpsElapsedSeconds`. Ends
// early with whatever arrived once the time-out is reached. A sentence broken by a byte that is
// not printable or grown past the limit is dropped, as is a sentence cut short by a new "$".
void readGpsSentence(TrackerState& s);

// No read while the computer's clock shows 23:59 or 00:00: the two minutes around the turn of
// its day.
bool gpsReadAllowedAt(const LocalTime& time);

// Waits up to the time-out for two sentences of the configured type with different time stamps;
// with `useGpsPosition` 1 takes the station position from the second and records it in
// KELVORIN.GPS. Reports "Reading GPS...  OK!" or "Reading GPS...  FAILED!" on the message line.
void readGpsPosition(TrackerState& s);

}  // namespace station
