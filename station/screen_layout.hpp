#pragma once
// What the screens of both programs share: the double-line frame around them, and the cleared
// white-on-black screen a program leaves behind for the job or the shell after it.
#include "console/screen.hpp"

#include <initializer_list>

namespace station {

// The frame: a box with lines across at rows 3, 5 and 23, the title divider at column 26
// between rows 3 and 5, the divider of the two panels at `panelColumn` from row 5 to row 23, a
// line across the left panel at row 21 and one across the right panel at each of
// `rightPanelRules`.
void drawProgramFrame(Screen& screen, int panelColumn, std::initializer_list<int> rightPanelRules);

// Bright white on black, cleared, and shown at once.
void clearWhiteOnBlack(Screen& screen);

}  // namespace station
