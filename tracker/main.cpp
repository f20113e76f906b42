#include "console/terminal.hpp"
#include "tracker/arguments.hpp"
#include "tracker/tracker.hpp"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto status = station::answerTrackerOptions(args, std::cout, std::cerr)) {
        return *status;
    }
    try {
        station::TerminalConsole terminal;
        station::Tracker tracker(terminal.console());
        return tracker.run(args);
    } catch (const station::ProgramExit& exit) {
        return exit.status;
    }
}
