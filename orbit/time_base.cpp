#include "orbit/time_base.hpp"

#include "orbit/constants.hpp"
#include "text/picture.hpp"

#include <algorithm>
#include <cmath>

namespace station {

namespace {
// The guards of arcSin and arcCos are single-precision values compared in double precision.
constexpr double guardLow = static_cast<float>(0.99999);
}  // namespace

ClockTime clockTimeOf(int year, int month, int day, int hour, int minute, int second, float utcOffsetHours) {
    ClockTime time;
    time.year = static_cast<std::int16_t>(year);
    time.month = static_cast<std::int16_t>(month);
    time.day = static_cast<float>(day);
    time.hour = static_cast<float>(hour) + utcOffsetHours;
    time.minute = static_cast<float>(minute);
    time.second = static_cast<float>(second);
    return time;
}

std::int16_t daysBeforeMonth(int month, int year) {
    const int february = (year % 4 == 0) ? 29 : 28;
    switch (month) {
        case 1: return 0;
        case 2: return 31;
        case 3: return static_cast<std::int16_t>(february + 31);
        case 4: return static_cast<std::int16_t>(february + 62);
        case 5: return static_cast<std::int16_t>(february + 92);
        case 6: return static_cast<std::int16_t>(february + 123);
        case 7: return static_cast<std::int16_t>(february + 153);
        case 8: return static_cast<std::int16_t>(february + 184);
        case 9: return static_cast<std::int16_t>(february + 215);
        case 10: return static_cast<std::int16_t>(february + 245);
        case 11: return static_cast<std::int16_t>(february + 276);
        case 12: return static_cast<std::int16_t>(february + 306);
        default: return 0;
    }
}

double dayNumberOf(int year, int month, double day, double hour, double minute, double second) {
    return daysBeforeMonth(month, year) + day + hour / 24 + minute / 1440 + second / 86400;
}

double dayNumberOf(const ClockTime& time) {
    return dayNumberOf(time.year, time.month, time.day, time.hour, time.minute, time.second);
}

double localDayNumberOf(const ClockTime& time, float utcOffsetHours) {
    // The local hour is a clock field like the UTC one: held in single precision.
    const float localHour = time.hour - utcOffsetHours;
    return dayNumberOf(time.year, time.month, time.day, localHour, time.minute, time.second);
}

DayTime splitDayFraction(double dayNumber) {
    DayTime result;
    if (!std::isfinite(dayNumber)) {
        return result;  // no time of day: 00:00:00 rather than fields made of nothing
    }
    double f = dayNumber - std::floor(dayNumber);
    result.hours = static_cast<std::int16_t>(std::floor(24 * f));
    f -= result.hours / 24.0;
    result.minutes = static_cast<std::int16_t>(std::floor(1440 * f));
    f -= result.minutes / 1440.0;
    result.seconds = static_cast<std::int16_t>(std::floor(86400 * f));
    if (result.minutes < 0 || result.seconds < 0) {
        // An instant an ulp below a whole minute or hour: 24 f or 1440 f rounded up to the
        // boundary and the remainder went negative. Truncate the second of the day as a whole.
        const double fraction = dayNumber - std::floor(dayNumber);
        const int second = std::min(86399, static_cast<int>(std::floor(86400 * fraction)));
        result.hours = static_cast<std::int16_t>(second / 3600);
        result.minutes = static_cast<std::int16_t>(second / 60 % 60);
        result.seconds = static_cast<std::int16_t>(second % 60);
    }
    return result;
}

std::string timeOfDayText(double dayNumber) {
    const DayTime t = splitDayFraction(dayNumber);
    return twoDigitText(t.hours) + ":" + twoDigitText(t.minutes) + ":" + twoDigitText(t.seconds);
}

std::optional<CalendarTime> calendarTimeOf(int year, double dayNumber) {
    constexpr double farthestDays = 36525;
    if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > farthestDays) {
        return std::nullopt;
    }
    const auto daysIn = [](int y) { return (y % 4 == 0) ? 366 : 365; };
    int dayOfYear = static_cast<int>(std::floor(dayNumber));
    while (dayOfYear > daysIn(year)) {
        dayOfYear -= daysIn(year);
        ++year;
    }
    while (dayOfYear < 1) {
        --year;
        dayOfYear += daysIn(year);
    }
    int month = 12;
    while (month > 1 && daysBeforeMonth(month, year) >= dayOfYear) {
        --month;
    }
    const DayTime time = splitDayFraction(dayNumber);
    return CalendarTime{year, month, dayOfYear - daysBeforeMonth(month, year), time.hours, time.minutes, time.seconds};
}

double continuousDay(int year, double dayNumber) {
    double days = 0;
    for (int y = 2000; y < year; ++y) {
        days += (y % 4 == 0) ? 366 : 365;
    }
    for (int y = year; y < 2000; ++y) {
        days -= (y % 4 == 0) ? 366 : 365;
    }
    return days + dayNumber;
}

double arcCos(double x) {
    if (x < -guardLow) {
        return programPi;
    }
    if (x > guardLow) {
        return 0;
    }
    return programPi / 2 - std::atan(x / std::sqrt(1 - x * x));
}

double arcSin(double x) {
    // Beyond the guards too: a sine a little past 1 by rounding is still straight up or down.
    if (x > guardLow) {
        return programPi / 2;
    }
    if (x < -guardLow) {
        return -programPi / 2;
    }
    return std::atan(x / std::sqrt(1 - x * x));
}

}  // namespace station
