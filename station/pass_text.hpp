#pragma once
// A pass in words, as both programs write it to their logs and the scheduler's pass list
// prints it; numbers without the locale.
#include <string>

namespace station {

// "AOS 2026-10-10T13:09:12Z, LOS 2026-10-10T13:19:40Z, maximum elevation 45.3 degrees": UTC day
// numbers of `year`.
std::string passLogText(int year, double aosUtc, double losUtc, double maximumElevation);
// Whole degrees from 0 to 359 of an azimuth in radians ("?" when it is no number).
std::string azimuthText(double radians);
// Degrees with one decimal of an elevation in radians, as the screens show it ("45.3").
std::string elevationText(double radians);

}  // namespace station
