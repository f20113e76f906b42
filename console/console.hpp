#pragma once
// Everything a program touches of its platform, behind small interfaces. A terminal backend
// (terminal.hpp) and one for runs without a terminal (headless.hpp) fill it; tests fill it with
// the in-memory one of testsupport/memory.hpp.
#include "console/clock.hpp"
#include "console/files.hpp"
#include "console/keyboard.hpp"
#include "console/network.hpp"
#include "console/screen.hpp"
#include "console/serial.hpp"

#include <string>

namespace station {

struct Console {
    Screen& screen;
    Keyboard& keyboard;
    Clock& clock;
    Sleeper& sleeper;
    SerialPorts& serialPorts;
    NetworkLinks& network;
    CommandProcessor& commands;
    PortOutput& ports;
    Files& files;
};

// Shows the screen and waits until a key comes (sleeping until then).
std::string waitForKey(Console& console);
// The same, but gives up once the clock has run on `seconds` seconds (steps back not counted,
// so a clock set back meanwhile cannot make it wait for ever): then it returns nothing.
std::string waitForKey(Console& console, int seconds);
// Reads a line typed at the keyboard, echoed from the cursor position; Enter ends it,
// Backspace deletes. At most maxLength characters.
std::string readLineWithEcho(Console& console, std::size_t maxLength = 76);

}  // namespace station
