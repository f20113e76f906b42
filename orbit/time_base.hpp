#pragma once
// The time base of both programs: the clock fields, day numbers (day of the year plus the
// fraction of the day, 1 January 00:00 = 1.0, no year), the time of day as text and guarded
// inverse sine and cosine. Leap years are the years divisible by 4, everywhere.

#include <cstdint>
#include <optional>
#include <string>

namespace station {

// One instant as clock fields, never normalised: the pass search adds minutes beyond 59 and an
// hour of 25 simply moves the day number on.
struct ClockTime {
    std::int16_t year = 0;
    std::int16_t month = 0;
    float day = 0;
    float hour = 0;  // the clock's hour plus the UTC offset: a UTC hour
    float minute = 0;
    float second = 0;
};

// The fields of a reading of the computer's clock, with `utcOffsetHours` added to the hour.
ClockTime clockTimeOf(int year, int month, int day, int hour, int minute, int second, float utcOffsetHours);

std::int16_t daysBeforeMonth(int month, int year);
double dayNumberOf(int year, int month, double day, double hour, double minute, double second);
// The UTC day number of the fields.
double dayNumberOf(const ClockTime& time);
// The same instant as a local-clock day number, for display (hour minus the UTC offset).
double localDayNumberOf(const ClockTime& time, float utcOffsetHours);

struct DayTime {
    std::int16_t hours = 0;
    std::int16_t minutes = 0;
    std::int16_t seconds = 0;
};
// Hours, minutes and seconds of the fraction of the day, each truncated; zeros when the day
// number is not finite.
DayTime splitDayFraction(double dayNumber);
// "hh:mm:ss" of the fraction of a day number.
std::string timeOfDayText(double dayNumber);

// The calendar date and time of day (truncated to the second, as timeOfDayText) of a day number
// of `year`; a day number past the year's last day or below 1 lies in a later or earlier year.
// Nothing for a day number that is not finite or lies more than a few decades away.
struct CalendarTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};
std::optional<CalendarTime> calendarTimeOf(int year, double dayNumber);

// Days on a scale that runs on across the turn of the year (1.0 = 1 January 2000 00:00), for
// comparing instants whose day numbers belong to different years.
double continuousDay(int year, double dayNumber);

double arcSin(double x);
double arcCos(double x);

}  // namespace station
