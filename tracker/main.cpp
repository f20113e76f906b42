#include "console/terminal.hpp"
#include "tracker/tracker.hpp"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    try {
        station::TerminalConsole terminal;
        station::Tracker tracker(terminal.console());
        return tracker.run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const station::ProgramExit& exit) {
        return exit.status;
    }
}
