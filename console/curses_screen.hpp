#pragma once
// The screen on an ncursesw terminal, and the terminal session around it: taking the terminal
// over, handing it to a job and back, giving it back at the end or in a crash, reading its input.
// curses_screen.cpp is the only file that talks to ncurses.
#include "console/screen.hpp"
#include "console/terminal.hpp"

#include <array>
#include <optional>

namespace station {

class CursesScreen : public Screen {
public:
    explicit CursesScreen(bool unicode) : unicode_(unicode) {}

    void present() override;
    void beep() override;
    // The next present() sends every cell again (after a resize or a job).
    void invalidate();
    // White on black, cleared: what the terminal looks like when it is handed over or given back.
    void blankWhiteOnBlack();

private:
    void draw(int row, int column, const Cell& wanted);
    // Colour pair (made on first use) and attributes of a PC foreground on a PC background.
    unsigned colourAttributes(int foreground, int background);

    bool unicode_;
    std::array<std::array<Cell, columns>, rows> shown_{};
    bool shownValid_ = false;
    bool tooSmallShown_ = false;
    bool cursorVisibleShown_ = false;
    int cursorRowShown_ = 0;
    int cursorColumnShown_ = 0;
    short pairs_[16][16] = {};
    int nextPair_ = 1;
};

// One terminal per process: ncurses keeps a single current one, and the crash handler must reach it.
namespace cursesSession {
// Takes the terminal over for `screen` (raw keys, no echo, colours); false when the terminal
// cannot be used. A crash signal gives it back before the process ends.
bool takeOver(CursesScreen& screen);
// True while the program owns the terminal (not before, after, or while a job has it).
bool active();
// The next input decoded, or nothing when none is waiting. Never blocks.
std::optional<TerminalInput> readInput();
// To a job: the screen shown, then blanked white on black, normal mode.
void handOver(CursesScreen& screen);
// From a job: program mode again, every cell sent anew.
void takeBack(CursesScreen& screen);
// At the end: white on black, cleared, normal mode. Safe to call more than once.
void giveBack();
// Frees the terminal's state after giveBack().
void close();
}  // namespace cursesSession

}  // namespace station
