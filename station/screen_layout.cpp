#include "station/screen_layout.hpp"

#include <string>

namespace station {

namespace {

constexpr int titleDividerColumn = 26;
constexpr int leftPanelRule = 21;
constexpr int brightWhite = 15;
constexpr int black = 0;

void put(Screen& screen, int row, int column, char c) { screen.printAt(row, column, std::string(1, c)); }

// A double line from `first` to `last` with the given end pieces.
void rule(Screen& screen, int row, int first, int last, char left, char right) {
    put(screen, row, first, left);
    screen.printAt(row, first + 1,
                   std::string(static_cast<std::size_t>(last - first - 1), cp437::doubleHorizontal));
    put(screen, row, last, right);
}

}  // namespace

void drawProgramFrame(Screen& screen, int panelColumn, std::initializer_list<int> rightPanelRules) {
    using namespace cp437;
    const int lastRow = Screen::rows;
    const int lastColumn = Screen::columns;
    for (int row = 2; row < lastRow; ++row) {
        put(screen, row, 1, doubleVertical);
        put(screen, row, lastColumn, doubleVertical);
    }
    rule(screen, 1, 1, lastColumn, doubleTopLeft, doubleTopRight);
    for (int row : {3, 5, 23}) {
        rule(screen, row, 1, lastColumn, doubleTeeLeft, doubleTeeRight);
    }
    rule(screen, lastRow, 1, lastColumn, doubleBottomLeft, doubleBottomRight);

    put(screen, 3, titleDividerColumn, doubleTeeDown);
    put(screen, 4, titleDividerColumn, doubleVertical);
    put(screen, 5, titleDividerColumn, doubleTeeUp);

    put(screen, 5, panelColumn, doubleTeeDown);
    for (int row = 6; row < 23; ++row) {
        put(screen, row, panelColumn, doubleVertical);
    }
    put(screen, 23, panelColumn, doubleTeeUp);
    for (int row : rightPanelRules) {
        rule(screen, row, panelColumn, lastColumn, doubleTeeLeft, doubleTeeRight);
    }
    rule(screen, leftPanelRule, 1, panelColumn, doubleTeeLeft, doubleTeeRight);
}

void clearWhiteOnBlack(Screen& screen) {
    screen.setColours(brightWhite, black);
    screen.clear();
    screen.present();
}

}  // namespace station
