#include "console/terminal.hpp"
#include "scheduler/scheduler.hpp"

int main() {
    try {
        station::TerminalConsole terminal;
        station::Scheduler scheduler(terminal.console());
        return scheduler.run();
    } catch (const station::ProgramExit& exit) {
        // A terminal that cannot be used ends the program before the scheduler starts.
        return exit.status;
    }
}
