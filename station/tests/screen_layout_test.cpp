#include "station/screen_layout.hpp"

#include "console/testsupport/memory.hpp"

#include <gtest/gtest.h>

#include <string>

namespace station {
namespace {

std::uint8_t at(const Screen& screen, int row, int column) { return screen.cell(row, column).character; }

TEST(ProgramFrame, DividersMeetTheRulesWithTees) {
    MemoryScreen screen;
    drawProgramFrame(screen, 50, {11});
    using namespace cp437;
    EXPECT_EQ(at(screen, 1, 1), static_cast<std::uint8_t>(doubleTopLeft));
    EXPECT_EQ(at(screen, 25, 80), static_cast<std::uint8_t>(doubleBottomRight));
    EXPECT_EQ(at(screen, 3, 26), static_cast<std::uint8_t>(doubleTeeDown));
    EXPECT_EQ(at(screen, 5, 26), static_cast<std::uint8_t>(doubleTeeUp));
    EXPECT_EQ(at(screen, 5, 50), static_cast<std::uint8_t>(doubleTeeDown));
    EXPECT_EQ(at(screen, 23, 50), static_cast<std::uint8_t>(doubleTeeUp));
    EXPECT_EQ(at(screen, 11, 50), static_cast<std::uint8_t>(doubleTeeLeft));
    EXPECT_EQ(at(screen, 11, 80), static_cast<std::uint8_t>(doubleTeeRight));
    EXPECT_EQ(at(screen, 21, 1), static_cast<std::uint8_t>(doubleTeeLeft));
    EXPECT_EQ(at(screen, 21, 50), static_cast<std::uint8_t>(doubleTeeRight));
    // Inside the panels nothing is drawn.
    EXPECT_EQ(screen.rowText(12, 2, 49), std::string(48, ' '));
    EXPECT_EQ(screen.rowText(12, 51, 79), std::string(29, ' '));
    EXPECT_EQ(screen.rowText(24, 2, 79), std::string(78, ' '));
}

TEST(ProgramFrame, ClearWhiteOnBlackLeavesEveryCellBlank) {
    MemoryScreen screen;
    screen.setColours(14, 1);
    drawProgramFrame(screen, 40, {});
    clearWhiteOnBlack(screen);
    for (int row = 1; row <= Screen::rows; ++row) {
        for (int column = 1; column <= Screen::columns; ++column) {
            ASSERT_EQ(screen.cell(row, column), (Cell{' ', 15, 0})) << row << "," << column;
        }
    }
    EXPECT_EQ(screen.cursorRow(), 1);
    EXPECT_EQ(screen.cursorColumn(), 1);
}

}  // namespace
}  // namespace station
