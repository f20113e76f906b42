#include "station/date_time.hpp"

#include "console/testsupport/memory.hpp"
#include "station/pass_text.hpp"
#include "text/picture.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace station {
namespace {

TEST(DayNumber, ReadClockAddsTheUtcOffsetToTheHour) {
    MemoryConsole mc;
    mc.clock.set(2026, 10, 10, 0, 30, 15);
    const ClockTime time = readClock(mc.clock, -1.0f);
    EXPECT_EQ(time.year, 2026);
    EXPECT_EQ(time.month, 10);
    EXPECT_EQ(time.day, 10.0f);
    EXPECT_EQ(time.hour, -1.0f);
    EXPECT_EQ(time.minute, 30.0f);
    EXPECT_EQ(time.second, 15.0f);
}

TEST(ClockTexts, TwoDigitsAndTheDateTimeLine) {
    EXPECT_EQ(twoDigitText(5), "05");
    EXPECT_EQ(twoDigitText(0), "00");
    EXPECT_EQ(twoDigitText(42), "42");
    EXPECT_EQ(twoDigitText(123), "12");
    EXPECT_EQ(dateTimeText({2026, 10, 6, 9, 5, 7}), " 6-OCT-2026  09:05:07");
    EXPECT_EQ(dateTimeText({2026, 12, 31, 23, 59, 59}), "31-DEC-2026  23:59:59");
    EXPECT_EQ(dateTimeText({2026, 13, 1, 0, 0, 0}), " 1--2026  00:00:00");

    MemoryConsole mc;
    mc.clock.set(2026, 1, 2, 3, 4, 5);
    showDateTime(mc.screen, mc.clock);
    EXPECT_EQ(mc.screen.rowText(4, 1, 24), "   2-JAN-2026  03:04:05 ");
}

TEST(PassText, IsoUtcTimesWholeAzimuthsAndOneDecimalElevations) {
    constexpr double degree = 3.1415926535898 / 180;
    EXPECT_EQ(isoUtcText(2026, 283.5 + 12.9 / 86400), "2026-10-10T12:00:12Z");
    EXPECT_EQ(isoUtcText(2026, 366.0), "2027-01-01T00:00:00Z");
    EXPECT_EQ(isoUtcText(2026, std::nan("")), "unknown time");
    EXPECT_EQ(isoDateText(2026, 283.99), "2026-10-10");
    EXPECT_EQ(passLogText(2026, 283.5, 283.5 + 600.0 / 86400, 45.25 * degree),
              "AOS 2026-10-10T12:00:00Z, LOS 2026-10-10T12:10:00Z, maximum elevation 45.3 degrees");
    EXPECT_EQ(azimuthText(123.4 * degree), "123");
    EXPECT_EQ(azimuthText(359.6 * degree), "0");
    EXPECT_EQ(azimuthText(-0.4 * degree), "0");
    EXPECT_EQ(azimuthText(-90 * degree), "270");
    EXPECT_EQ(azimuthText(std::nan("")), "?");
    EXPECT_EQ(elevationText(5.04 * degree), "5.0");
    EXPECT_EQ(elevationText(-0.26 * degree), "-0.3");
    EXPECT_EQ(elevationText(90 * degree), "90.0");
}

}  // namespace
}  // namespace station
