#include "orbit/time_base.hpp"

#include "console/picture.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace station {

namespace {
constexpr double pi = 3.1415926535898;
// The guards of arcSin and arcCos are single-precision values compared in double precision.
constexpr double guardLow = static_cast<float>(0.99999);
}  // namespace

ClockTime readClock(Clock& clock, float utcOffsetHours) {
    const LocalTime now = clock.now();
    ClockTime time;
    time.year = static_cast<std::int16_t>(now.year);
    time.month = static_cast<std::int16_t>(now.month);
    time.day = static_cast<float>(now.day);
    time.hour = static_cast<float>(now.hour) + utcOffsetHours;
    time.minute = static_cast<float>(now.minute);
    time.second = static_cast<float>(now.second);
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

std::string twoDigitText(int n) {
    if (n > 9) {
        return std::to_string(n).substr(0, 2);
    }
    return "0" + std::to_string(n);
}

std::string timeOfDayText(double dayNumber) {
    const DayTime t = splitDayFraction(dayNumber);
    return twoDigitText(t.hours) + ":" + twoDigitText(t.minutes) + ":" + twoDigitText(t.seconds);
}

std::string dateTimeText(const LocalTime& time) {
    static constexpr std::array<const char*, 12> monthNames = {
        "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const std::string month = (time.month >= 1 && time.month <= 12) ? monthNames[time.month - 1] : "";
    return formatPicture("##", time.day) + "-" + month + "-" + formatPicture("####", time.year) + "  " +
           twoDigitText(time.hour) + ":" + twoDigitText(time.minute) + ":" + twoDigitText(time.second);
}

void showDateTime(Screen& screen, Clock& clock) {
    screen.printAt(4, 3, dateTimeText(clock.now()));
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
        return pi;
    }
    if (x > guardLow) {
        return 0;
    }
    return pi / 2 - std::atan(x / std::sqrt(1 - x * x));
}

double arcSin(double x) {
    // Beyond the guards too: a sine a little past 1 by rounding is still straight up or down.
    if (x > guardLow) {
        return pi / 2;
    }
    if (x < -guardLow) {
        return -pi / 2;
    }
    return std::atan(x / std::sqrt(1 - x * x));
}

}  // namespace station
