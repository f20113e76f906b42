#include "orbit/constants.hpp"
#include "orbit/time_base.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace station {
namespace {

constexpr double pi = 3.1415926535898;

TEST(DayNumber, CountsFromFirstJanuaryAsOneWithEveryFourthYearLeap) {
    EXPECT_EQ(dayNumberOf(2026, 1, 1, 0, 0, 0), 1.0);
    EXPECT_EQ(dayNumberOf(2024, 2, 29, 12, 0, 0), 60.5);
    EXPECT_EQ(dayNumberOf(2024, 3, 1, 0, 0, 0), 61.0);
    EXPECT_EQ(dayNumberOf(2023, 3, 1, 0, 0, 0), 60.0);
    EXPECT_EQ(dayNumberOf(2100, 3, 1, 0, 0, 0), 61.0);  // no century rule
    EXPECT_EQ(dayNumberOf(2026, 12, 31, 12, 0, 0), 365.5);
    EXPECT_EQ(daysBeforeMonth(13, 2026), 0);
}

TEST(DayNumber, FieldsAreNeverNormalised) {
    EXPECT_DOUBLE_EQ(dayNumberOf(2026, 1, 1, -1, 0, 0), 1.0 - 1.0 / 24);
    EXPECT_DOUBLE_EQ(dayNumberOf(2026, 1, 1, 24.5, 0, 0), 2.0 + 0.5 / 24);  // 2 January 00:30
    EXPECT_DOUBLE_EQ(dayNumberOf(2026, 1, 1, 0, 1500, 0), 2.0416666666666665);
    const ClockTime time{2026, 10, 10.0f, 13.0f, 30.0f, 0.0f};  // clock one hour ahead of UTC
    // The difference of two day numbers near 283 keeps about 13 digits.
    EXPECT_NEAR(localDayNumberOf(time, -1.0f) - dayNumberOf(time), 1.0 / 24, 1e-12);
    // The local hour is a single-precision field too: 12 + 0.1 - 0.1 is 12 again, not
    // 12.00000038 (which would be a millisecond off on the shown AOS and LOS).
    const ClockTime noon{2026, 1, 1.0f, 12.0f + 0.1f, 0.0f, 0.0f};
    EXPECT_EQ(localDayNumberOf(noon, 0.1f), 1.5);
}

TEST(DayFraction, TruncatesEveryFieldAndNeverGoesOutOfRange) {
    const DayTime late = splitDayFraction(123.999999);
    EXPECT_EQ(late.hours, 23);
    EXPECT_EQ(late.minutes, 59);
    EXPECT_EQ(late.seconds, 59);
    EXPECT_EQ(timeOfDayText(283.5 + 1.0 / 1440 + 7.5 / 86400), "12:01:07");
    // One ulp below 05:00:00, 00:09:00 and 23:00:00: 24 f or 1440 f rounds up to the boundary
    // while the remainder goes negative; the text must not show "-1" (it shows the boundary,
    // which the instant is a rounding error away from).
    EXPECT_EQ(timeOfDayText(0.20833333333333331), "05:00:00");
    EXPECT_EQ(timeOfDayText(0.0062499999999999995), "00:09:00");
    EXPECT_EQ(timeOfDayText(0.95833333333333326), "23:00:00");
}

TEST(DayFraction, DayNumberThatIsNotFiniteHasNoTimeOfDay) {
    const double infinity = INFINITY;
    for (const double day : {static_cast<double>(NAN), infinity, -infinity}) {
        EXPECT_EQ(timeOfDayText(day), "00:00:00") << day;
    }
}

TEST(ContinuousDay, RunsOnAcrossTheTurnOfTheYear) {
    EXPECT_EQ(continuousDay(2000, 1.0), 1.0);
    EXPECT_EQ(continuousDay(2001, 1.0), 367.0);  // 2000 has 366 days
    EXPECT_EQ(continuousDay(1999, 365.5), 0.5);
    // A pass found on 31 December and reported as day 366.2 of 2026 is the 1 January 2027 day 1.2.
    EXPECT_DOUBLE_EQ(continuousDay(2026, 366.2), continuousDay(2027, 1.2));
}

TEST(CalendarTime, DayNumbersBeyondTheYearFallInTheNextOrThePrevious) {
    auto text = [](int year, double dayNumber) {
        const auto t = calendarTimeOf(year, dayNumber);
        if (!t) {
            return std::string("none");
        }
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t->year, t->month, t->day, t->hour,
                      t->minute, t->second);
        return std::string(buffer);
    };
    EXPECT_EQ(text(2026, 1.5), "2026-01-01 12:00:00");
    EXPECT_EQ(text(2026, 283.0 + 59.999 / 86400), "2026-10-10 00:00:59");  // truncated as the screens show it
    EXPECT_EQ(text(2026, 365.75), "2026-12-31 18:00:00");
    EXPECT_EQ(text(2026, 366.25), "2027-01-01 06:00:00");  // a search that ran into the next year
    EXPECT_EQ(text(2026, 0.5), "2025-12-31 12:00:00");     // a local time before UTC's new year
    EXPECT_EQ(text(2028, 60.0), "2028-02-29 00:00:00");
    EXPECT_EQ(text(2028, 61.0), "2028-03-01 00:00:00");
    EXPECT_EQ(text(2027, 60.0), "2027-03-01 00:00:00");
    EXPECT_EQ(text(2026, 365.0 + 365 + 2), "2028-01-02 00:00:00");
    EXPECT_EQ(text(2026, std::nan("")), "none");
    EXPECT_EQ(text(2026, 1e300), "none");
}

TEST(GuardedArcs, SnapNearTheirLimits) {
    EXPECT_EQ(arcCos(1.0000001), 0.0);
    EXPECT_EQ(arcCos(-1.2), pi);
    EXPECT_EQ(arcSin(0.999995), pi / 2);
    EXPECT_EQ(arcSin(-0.999995), -pi / 2);
    EXPECT_NEAR(arcSin(0.5), pi / 6, 1e-13);  // pi is the 14-digit constant, not M_PI
    EXPECT_NEAR(arcCos(0.5), pi / 3, 1e-13);
    // Past the guard a rounding overshoot must still give an angle, never NaN.
    EXPECT_EQ(arcSin(1.5), pi / 2);
    EXPECT_EQ(arcSin(-1.5), -pi / 2);
    // The guard is the single-precision 0.99999 (0.9999899864), compared in double.
    EXPECT_EQ(arcCos(0.99999), 0.0);
    EXPECT_GT(arcCos(0.9999899), 0.0);
}

TEST(TrackerConstants, SiderealRatioIsFixedFromTheFirstClockReading) {
    EXPECT_EQ(trackerConstants({2000, 0, 0, 0, 0, 0}).siderealRatio, 1.002737909350795);
    // C = 1 century: the linear and square terms.
    EXPECT_DOUBLE_EQ(trackerConstants({2100, 0, 0, 0, 0, 0}).siderealRatio,
                     1.002737909350795 + 5.9006e-11 - 5.9e-15);
    EXPECT_FALSE(trackerConstants({2026, 10, 10, 0, 0, 0}).scheduler());
    EXPECT_TRUE(schedulerConstants().scheduler());
}

}  // namespace
}  // namespace station
