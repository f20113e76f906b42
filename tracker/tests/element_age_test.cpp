#include "tracker/screen.hpp"

#include "console/testsupport/memory.hpp"

#include <gtest/gtest.h>

#include <string>

namespace station {
namespace {

TEST(ElementAge, ShowsTheAgeBlockWithItsThreeTexts) {
    struct Case {
        int year;
        double now;
        const char* row8;
        const char* row9;
        const char* row10;
    };
    // Epoch 2024 day 1.0; the age ignores leap days (366 days later shows 365).
    const Case cases[] = {
        {2024, 31.0, "are  30  days old.", "This will give high", "precision. "},
        {2024, 32.0, "are  31  days old.", "This will give slightly", "degraded precision."},
        {2024, 61.5, "are  60  days old.", "This will give slightly", "degraded precision."},
        {2024, 62.0, "are  61  days old.", "Update them as soon", "as possible."},
        {2025, 1.0, "are  365  days old.", "Update them as soon", "as possible."},
        {2023, 365.5, "are -1  days old.", "This will give high", "precision. "},
    };
    KeplerianElementSet set;
    set.epochYear = 2024;
    set.epochDay = 1.0;
    for (const Case& c : cases) {
        MemoryScreen screen;
        showElementAge(screen, set, "ISS", c.year, c.now);
        EXPECT_EQ(screen.rowText(7, 53, 79), "Your Keps for ISS          ");
        EXPECT_EQ(screen.rowText(8, 53, 52 + std::string(c.row8).size()), c.row8);
        EXPECT_EQ(screen.rowText(9, 53, 52 + std::string(c.row9).size()), c.row9);
        EXPECT_EQ(screen.rowText(10, 53, 52 + std::string(c.row10).size()), c.row10);
    }
}

}  // namespace
}  // namespace station
