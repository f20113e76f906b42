#include "station/date_time.hpp"

#include "text/picture.hpp"

namespace station {

ClockTime readClock(Clock& clock, float utcOffsetHours) {
    const LocalTime now = clock.now();
    return clockTimeOf(now.year, now.month, now.day, now.hour, now.minute, now.second, utcOffsetHours);
}

void showDateTime(Screen& screen, Clock& clock) { screen.printAt(4, 3, dateTimeText(clock.now())); }

namespace {

std::string dateText(const CalendarTime& time) {
    return formatPicture("####", time.year) + "-" + twoDigitText(time.month) + "-" + twoDigitText(time.day);
}

}  // namespace

std::string isoUtcText(int year, double utcDayNumber) {
    const auto time = calendarTimeOf(year, utcDayNumber);
    if (!time) {
        return "unknown time";
    }
    return dateText(*time) + "T" + twoDigitText(time->hour) + ":" + twoDigitText(time->minute) + ":" +
           twoDigitText(time->second) + "Z";
}

std::string isoDateText(int year, double dayNumber) {
    const auto time = calendarTimeOf(year, dayNumber);
    return time ? dateText(*time) : "unknown date";
}

}  // namespace station
