#pragma once
// The terminal platform of the real programs: the screen on an ncursesw terminal, the keyboard,
// the system clock, serial ports, jobs and port output. Only terminal.cpp talks to ncurses.
#include "console/console.hpp"

#include <memory>

namespace station {

class TerminalConsole {
public:
    TerminalConsole();
    // Gives the terminal back in a usable state: white on black, cleared, normal mode.
    ~TerminalConsole();
    TerminalConsole(const TerminalConsole&) = delete;
    TerminalConsole& operator=(const TerminalConsole&) = delete;

    Console& console();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace station
