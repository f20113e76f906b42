#include "console/headless.hpp"
#include "console/terminal.hpp"
#include "scheduler/arguments.hpp"
#include "scheduler/scheduler.hpp"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    {
        // The pass list needs no terminal: every entry is searched from one reading of the
        // computer's clock.
        station::HeadlessConsole headless(".");
        if (const auto status = station::answerSchedulerOptions(args, headless.console(), std::cout, std::cerr)) {
            return *status;
        }
    }
    try {
        station::TerminalConsole terminal;
        station::Scheduler scheduler(terminal.console());
        return scheduler.run();
    } catch (const station::ProgramExit& exit) {
        // A terminal that cannot be used ends the program before the scheduler starts.
        return exit.status;
    }
}
