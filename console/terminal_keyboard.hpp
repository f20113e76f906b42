#pragma once
// The keyboard of the terminal: what ncurses reads, decoded into the programs' key texts.
#include "console/curses_screen.hpp"
#include "console/system_wait.hpp"

#include <deque>
#include <string>

namespace station {

class TerminalKeyboard : public InputKeyboard {
public:
    explicit TerminalKeyboard(CursesScreen& screen) : screen_(screen) {}

    std::string readKey() override;
    bool keyWaiting() override;
    // Standard input while the program owns the terminal; -1 while a job has it.
    int descriptor() const override;

private:
    // Takes every waiting input into the key queue, so that a wait can look for a key and a
    // resize without using up the keys. Throws ProgramExit once the program is asked to end.
    void pump();

    CursesScreen& screen_;
    std::deque<std::string> keys_;
};

}  // namespace station
