#include "console/screen.hpp"
#include "console/testsupport/memory.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace station {
namespace {

std::string blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

TEST(Screen, StartsBlankLightGreyOnBlackWithTheCursorHome) {
    MemoryScreen screen;
    EXPECT_EQ(screen.rowText(1), blanks(80));
    EXPECT_EQ(screen.rowText(25), blanks(80));
    EXPECT_EQ(screen.cell(25, 80), (Cell{' ', 7, 0}));
    EXPECT_EQ(screen.cursorRow(), 1);
    EXPECT_EQ(screen.cursorColumn(), 1);
}

TEST(Screen, PrintLeavesTheCursorAfterTheTextInTheCurrentColours) {
    MemoryScreen screen;
    screen.setColours(14, 1);
    screen.printAt(4, 3, "AOS");
    EXPECT_EQ(screen.cursorRow(), 4);
    EXPECT_EQ(screen.cursorColumn(), 6);
    EXPECT_EQ(screen.cell(4, 3), (Cell{'A', 14, 1}));
    EXPECT_EQ(screen.cell(4, 5), (Cell{'S', 14, 1}));
    EXPECT_EQ(screen.cell(4, 6), (Cell{' ', 7, 0}));
    screen.setColours(10, 1);
    screen.print("!");
    EXPECT_EQ(screen.cell(4, 6), (Cell{'!', 10, 1}));
}

TEST(Screen, ColoursUseTheLowFourBits) {
    MemoryScreen screen;
    screen.setColours(31, 17);
    EXPECT_EQ(screen.foreground(), 15);
    EXPECT_EQ(screen.background(), 1);
}

TEST(Screen, TextPastColumn80IsDroppedWithoutWrapping) {
    MemoryScreen screen;
    screen.printAt(10, 75, "ABCDEFGHIJ");
    EXPECT_EQ(screen.rowText(10, 75, 80), "ABCDEF");
    EXPECT_EQ(screen.rowText(11), blanks(80));
    EXPECT_EQ(screen.cursorRow(), 10);
    EXPECT_EQ(screen.cursorColumn(), 81);
    screen.print("more");
    EXPECT_EQ(screen.rowText(11), blanks(80));
}

TEST(Screen, WritingTheLastCellNeverScrolls) {
    MemoryScreen screen;
    screen.printAt(1, 1, "top line");
    std::string bottom(1, cp437::doubleBottomLeft);
    bottom += std::string(78, cp437::doubleHorizontal) + cp437::doubleBottomRight;
    screen.printAt(25, 1, bottom);
    EXPECT_EQ(screen.rowText(1, 1, 8), "top line");
    EXPECT_EQ(screen.rowText(25), bottom);
    EXPECT_EQ(screen.cursorRow(), 25);
    screen.newLine();
    EXPECT_EQ(screen.cursorRow(), 25);
    EXPECT_EQ(screen.cursorColumn(), 1);
    EXPECT_EQ(screen.rowText(1, 1, 8), "top line");
}

TEST(Screen, PositionsOutsideTheGridAreClamped) {
    MemoryScreen screen;
    screen.locate(0, 0);
    EXPECT_EQ(screen.cursorRow(), 1);
    EXPECT_EQ(screen.cursorColumn(), 1);
    screen.printAt(30, 90, "X");
    EXPECT_EQ(screen.cursorRow(), 25);
    EXPECT_EQ(screen.cursorColumn(), 81);
    EXPECT_EQ(screen.rowText(25), blanks(80));
}

TEST(Screen, ClearBlanksInTheCurrentColoursAndHomesTheCursor) {
    MemoryScreen screen;
    screen.printAt(12, 40, "text");
    screen.setColours(15, 0);
    screen.clear();
    EXPECT_EQ(screen.rowText(12), blanks(80));
    EXPECT_EQ(screen.cell(12, 40), (Cell{' ', 15, 0}));
    EXPECT_EQ(screen.cursorRow(), 1);
    EXPECT_EQ(screen.cursorColumn(), 1);
}

TEST(Screen, BeepsAndCursorVisibilityAreRecorded) {
    MemoryScreen screen;
    screen.beep();
    screen.beep();
    EXPECT_EQ(screen.beeps(), 2);
    screen.setCursorVisible(false);
    EXPECT_FALSE(screen.cursorVisible());
}

TEST(StatusLine, ShorterTextLeavesNoRemainsUpToColumn79) {
    MemoryScreen screen;
    screen.printAt(4, 3, " 1-OCT-2026  12:00:00");
    showStatus(screen, "Calculating AOS and LOS times");
    EXPECT_EQ(screen.rowText(4, 40, 80), "Calculating AOS and LOS times" + blanks(12));
    showStatus(screen, "Waiting for ISS");
    EXPECT_EQ(screen.rowText(4, 40, 80), "Waiting for ISS" + blanks(26));
    EXPECT_EQ(screen.rowText(4, 3, 23), " 1-OCT-2026  12:00:00");
}

TEST(StatusLine, LeavesColumn80Alone) {
    MemoryScreen screen;
    screen.printAt(4, 80, std::string(1, cp437::doubleVertical));
    showStatus(screen, "Tracking");
    EXPECT_EQ(screen.cell(4, 80).character, static_cast<std::uint8_t>(cp437::doubleVertical));
    showStatus(screen, "Waiting for " + std::string(40, 'S'));
    EXPECT_EQ(screen.cell(4, 79).character, 'S');
    EXPECT_EQ(screen.cell(4, 80).character, static_cast<std::uint8_t>(cp437::doubleVertical));
}

TEST(MessageLine, BlanksColumns2To79AndWritesFromColumn3) {
    MemoryScreen screen;
    screen.printAt(24, 1, std::string(1, cp437::doubleVertical) + std::string(78, 'x') + cp437::doubleVertical);
    showMessage(screen, "Unable to open KELVORIN.CFG");
    const std::string expected = std::string(1, cp437::doubleVertical) + " Unable to open KELVORIN.CFG" +
                                 blanks(50) + cp437::doubleVertical;
    EXPECT_EQ(screen.rowText(24), expected);
    EXPECT_EQ(screen.cursorRow(), 24);
    EXPECT_EQ(screen.cursorColumn(), 30);
    showMessage(screen, "");
    EXPECT_EQ(screen.rowText(24, 2, 79), blanks(78));
    EXPECT_EQ(screen.cursorColumn(), 3);
}

TEST(MessageLine, ALongTextStopsBeforeTheFrame) {
    MemoryScreen screen;
    screen.printAt(24, 80, std::string(1, cp437::doubleVertical));
    showMessage(screen, std::string(76, 'x') + "yz" + "beyond");
    EXPECT_EQ(screen.rowText(24, 3, 80), std::string(76, 'x') + "y" + cp437::doubleVertical);
    EXPECT_EQ(screen.cursorColumn(), 80);
}

TEST(MessageLine, TheListenerHearsEveryTextWholeTheStatusLineNot) {
    MemoryScreen screen;
    std::vector<std::string> heard;
    screen.onMessage = [&heard](std::string_view text) { heard.emplace_back(text); };
    const std::string longText = std::string(80, 'x') + " and more";
    showMessage(screen, longText);
    showMessage(screen, "");
    showStatus(screen, "Tracking ISS");
    EXPECT_EQ(heard, (std::vector<std::string>{longText, ""}));
}

TEST(CodePage437, LineDrawingAndArrowsMapToUnicode) {
    EXPECT_EQ(cp437::toUnicode(0xC9), U'\u2554');
    EXPECT_EQ(cp437::toUnicode(0xCD), U'\u2550');
    EXPECT_EQ(cp437::toUnicode(0xBA), U'\u2551');
    EXPECT_EQ(cp437::toUnicode(0xBC), U'\u255D');
    EXPECT_EQ(cp437::toUnicode(0xC4), U'\u2500');
    EXPECT_EQ(cp437::toUnicode(0xB3), U'\u2502');
    EXPECT_EQ(cp437::toUnicode(0xDA), U'\u250C');
    EXPECT_EQ(cp437::toUnicode(0xD9), U'\u2518');
    EXPECT_EQ(cp437::toUnicode(0xC1), U'\u2534');
    EXPECT_EQ(cp437::toUnicode(0x18), U'\u2191');
    EXPECT_EQ(cp437::toUnicode(0x19), U'\u2193');
    EXPECT_EQ(cp437::toUnicode(0x1A), U'\u2192');
    EXPECT_EQ(cp437::toUnicode(0x1B), U'\u2190');
    EXPECT_EQ(cp437::toUnicode(0xF8), U'\u00B0');
    EXPECT_EQ(cp437::toUnicode('A'), U'A');
    EXPECT_EQ(cp437::toUnicode(0x00), U' ');
    EXPECT_EQ(cp437::toUnicode(0xFF), U'\u00A0');
}

TEST(CodePage437, EveryByteButNulRoundTrips) {
    for (int byte = 1; byte < 256; ++byte) {
        EXPECT_EQ(cp437::fromUnicode(cp437::toUnicode(static_cast<std::uint8_t>(byte))), byte) << byte;
    }
    EXPECT_EQ(cp437::fromUnicode(U' '), 0x20);
    EXPECT_EQ(cp437::fromUnicode(U'\u20AC'), -1);  // the euro sign is not in the code page
    EXPECT_EQ(cp437::fromUnicode(U'\x01'), -1);
}

}  // namespace
}  // namespace station
