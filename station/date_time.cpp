#include "station/date_time.hpp"

namespace station {

ClockTime readClock(Clock& clock, float utcOffsetHours) {
    const LocalTime now = clock.now();
    return clockTimeOf(now.year, now.month, now.day, now.hour, now.minute, now.second, utcOffsetHours);
}

void showDateTime(Screen& screen, Clock& clock) { screen.printAt(4, 3, dateTimeText(clock.now())); }

}  // namespace station
