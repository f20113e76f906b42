#pragma once
// The receiver the GPS reader's own tests and the tracker's GPS rows start from.
#include "config/station.hpp"

#include <cstdint>
#include <string>

namespace station::gpstest {

inline constexpr int gpsPortNumber = 2;

// A GLL sentence with its time stamp, at the example position unless given another.
inline std::string gllSentence(const std::string& time, const std::string& latitude = "4916.45",
                               const std::string& longitude = "12311.12") {
    return "$GPGLL," + latitude + ",N," + longitude + ",W," + time + ",A,*1D\r\n";
}

// A receiver on port 2 at 4800 baud whose GLL position the station takes.
inline void gpsOnPortTwo(Station& station) {
    station.gpsPort = gpsPortNumber;
    station.gpsBaud = 4800;
    station.useGpsPosition = 1;
    station.gpsSentence = 1;
}

// Sets the in-memory console's clock to noon of 1 October 2026 with a minute of sleep before the
// test fails; returns that start in milliseconds.
template <class MemoryConsole>
std::int64_t startAtNoon(MemoryConsole& mc) {
    mc.clock.set(2026, 10, 1, 12, 0, 0);
    mc.sleeper.limitMillis = mc.clock.millis + 60'000;
    return mc.clock.millis;
}

}  // namespace station::gpstest
