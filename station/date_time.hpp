#pragma once
// The computer's clock as both programs read it: the instant the orbital core works on, and the
// date and time line of both screens.
#include "console/clock.hpp"
#include "console/screen.hpp"
#include "orbit/time_base.hpp"

namespace station {

// The clock's fields, with `utcOffsetHours` added to the hour.
ClockTime readClock(Clock& clock, float utcOffsetHours);

// Reads the clock again and prints the date and time line at row 4, column 3.
void showDateTime(Screen& screen, Clock& clock);

}  // namespace station
