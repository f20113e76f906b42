#include "station/search_display.hpp"

#include "console/testsupport/memory.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

TEST(ScreenDisplay, RedrawsTheDateAndTimeOnlyWhenTheSecondChanges) {
    MemoryConsole mc;
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    ScreenPassSearchDisplay display(mc.screen, mc.clock);
    display.showDateTime();
    EXPECT_EQ(mc.screen.rowText(4, 3, 23), "10-OCT-2026  12:00:00");
    mc.screen.printAt(4, 3, "X");
    mc.clock.millis += 999;
    display.showDateTime();
    EXPECT_EQ(mc.screen.rowText(4, 3, 3), "X");
    mc.clock.millis += 1;
    display.showDateTime();
    EXPECT_EQ(mc.screen.rowText(4, 3, 23), "10-OCT-2026  12:00:01");

    display.showStatus("Calculating AOS and LOS times");
    EXPECT_EQ(mc.screen.rowText(4, 40, 79), "Calculating AOS and LOS times           ");
    display.showMessage("No pass within 10 days");
    EXPECT_EQ(mc.screen.rowText(24, 2, 25), " No pass within 10 days ");
}

}  // namespace
}  // namespace station
