#include "tracker/arguments.hpp"

#include "tracker/tracker_state.hpp"

#include <ostream>

namespace station {

TrackerCommandLine parseTrackerCommandLine(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help") {
            return {TrackerCommandLine::Action::help, {}};
        }
        if (arg == "--version") {
            return {TrackerCommandLine::Action::version, {}};
        }
        if (arg.starts_with("--")) {
            return {TrackerCommandLine::Action::usageError, "unknown option " + arg};
        }
    }
    return {};
}

std::string trackerVersionText() { return "kelvorin " + std::string(trackerVersion); }

std::string trackerHelpText() {
    return "Usage: kelvorin [DESIGNATION...]\n"
           "       kelvorin --help | --version\n"
           "\n"
           "Follows one satellite from the station directory (the current directory):\n"
           "predicts its next pass, points the antenna rotator and corrects the radio for\n"
           "Doppler, on an 80x25 terminal. DESIGNATION (words joined by blanks, any case;\n"
           "NAME~SUFFIX takes the frequencies of another record) names the satellite;\n"
           "without it the first line of KELVORIN.CMD does, and NONE leaves it idle.\n"
           "\n"
           "  --help     print this help and exit\n"
           "  --version  print the version and exit\n"
           "\n"
           "Reads:  KELVORIN.CFG, the keplerian data file (value 2), KELVORIN.FRC,\n"
           "        KELVORIN.CMD, KVFLIP.DAT, serial port n as COMn or /dev/ttyS(n-1)\n"
           "Writes: KVFLIP.DAT, ROT.DAT, radio.dat, KELVORIN.GPS, KELVORIN.FRC (tuning\n"
           "        save), KELVORIN.LOG (events with UTC times; KELVORIN.LOG.1 after 1 MB),\n"
           "        kelvorin.prom and kelvorin.json (status, in the directory of value 48)\n"
           "\n"
           "Keys:   Q quit, A automatic (KELVORIN.CMD), M manual, and in manual: T track\n"
           "        or tune, S stop, C calibrate the rotator, G read the GPS receiver.\n"
           "        Tuning: T, R, D, I choose what the arrow keys change (Up/Down step by\n"
           "        value 36, Left/Right by value 35), S saves to KELVORIN.FRC, E ends.\n"
           "\n"
           "Exit status: 0 after Q, --help, --version or a pass ended with value 34 at 1;\n"
           "             1 after a fatal error; 2 after a usage error.\n"
           "\n"
           "See kelvorin(1) and kelvorin.cfg(5).\n";
}

std::optional<int> answerTrackerOptions(const std::vector<std::string>& args, std::ostream& out,
                                        std::ostream& err) {
    const TrackerCommandLine commandLine = parseTrackerCommandLine(args);
    switch (commandLine.action) {
        case TrackerCommandLine::Action::help:
            out << trackerHelpText();
            return 0;
        case TrackerCommandLine::Action::version:
            out << trackerVersionText() << '\n';
            return 0;
        case TrackerCommandLine::Action::usageError:
            err << "kelvorin: " << commandLine.error << "\nTry kelvorin --help.\n";
            return 2;
        case TrackerCommandLine::Action::track:
            break;
    }
    return std::nullopt;
}

}  // namespace station
