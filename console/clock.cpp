#include "console/clock.hpp"

#include "text/picture.hpp"

#include <array>
#include <ctime>

namespace station {

std::string dateTimeText(const LocalTime& time) {
    static constexpr std::array<const char*, 12> monthNames = {
        "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const std::string month = (time.month >= 1 && time.month <= 12) ? monthNames[time.month - 1] : "";
    return formatPicture("##", time.day) + "-" + month + "-" + formatPicture("####", time.year) + "  " +
           twoDigitText(time.hour) + ":" + twoDigitText(time.minute) + ":" + twoDigitText(time.second);
}

LocalTime SystemClock::now() {
    // The same reading as epochMillis(): time() may lag it by a clock tick, and a wait that
    // ends on the second's change must then see the new second.
    const std::time_t seconds = static_cast<std::time_t>(nextSecondMillis(epochMillis()) / 1000 - 1);
    std::tm fields{};
    ::localtime_r(&seconds, &fields);
    return LocalTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                     fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

std::int64_t SystemClock::epochMillis() {
    // Through the C library, so that a preloaded time library (faketime) sets it.
    timespec reading{};
    ::clock_gettime(CLOCK_REALTIME, &reading);
    return static_cast<std::int64_t>(reading.tv_sec) * 1000 + reading.tv_nsec / 1'000'000;
}

}  // namespace station
