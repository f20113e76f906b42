#pragma once
// The computer's clock as both programs read it: the instant the orbital core works on, and the
// date and time line of both screens.
#include "console/clock.hpp"
#include "console/screen.hpp"
#include "orbit/time_base.hpp"

#include <string>

namespace station {

// The clock's fields, with `utcOffsetHours` added to the hour.
ClockTime readClock(Clock& clock, float utcOffsetHours);

// Reads the clock again and prints the date and time line at row 4, column 3.
void showDateTime(Screen& screen, Clock& clock);

// "2026-10-01T12:34:56Z": a UTC day number of `year` (an AOS, a LOS) in ISO 8601 form for the
// logs; "unknown time" when it is no date.
std::string isoUtcText(int year, double utcDayNumber);
// "2026-10-01": the date of a day number of `year`; "unknown date" when it is no date.
std::string isoDateText(int year, double dayNumber);

}  // namespace station
