#include "station/date_time.hpp"

#include "console/memory.hpp"
#include "text/picture.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace station
