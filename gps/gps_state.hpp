#pragma once
#include <cstdint>
#include <string>

namespace station {

struct GpsReader {
    std::int16_t gpsTimeoutSeconds = 6;
    std::int16_t gpsElapsedSeconds = 0;  // whole-second changes of the clock since the read began
    std::int16_t gpsLastSecond = 0;
    std::string gpsLine;                 // after "$" up to and including the carriage return
};

}  // namespace station
