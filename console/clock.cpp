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
    const std::time_t seconds = std::time(nullptr);
    std::tm fields{};
    ::localtime_r(&seconds, &fields);
    return LocalTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                     fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

}  // namespace station
