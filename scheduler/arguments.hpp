#pragma once
// The command line of mirados, read before the terminal is taken over: nothing (the scheduler's
// screen), --passes [--all] [DAYS] [--min-elevation DEG] [--csv], --help or --version.
#include "console/console.hpp"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace station {

struct SchedulerCommandLine {
    enum class Action { schedule, passes, help, version, usageError };
    Action action = Action::schedule;
    double days = 2;   // of --passes (1 with --all)
    bool csv = false;  // --passes --csv
    bool all = false;  // --passes --all: every set of the element file
    std::optional<double> minimumElevationDegrees;  // --min-elevation DEG, with --all
    std::string error;  // of a usage error: "unknown option --foo"
};

// Taken in order: --help or --version answers at once; an unknown option, a second DAYS, DAYS
// that is not a number above 0 and at most 10, --csv or --all without --passes, or
// --min-elevation without --all or without a number from 0 to 90 is a usage error.
SchedulerCommandLine parseSchedulerCommandLine(const std::vector<std::string>& args);

std::string schedulerHelpText();
// "mirados 2.0": the version of the screen's banner.
std::string schedulerVersionText();

// Answers what needs no screen: the help or the version on `out` (status 0), a usage error on
// `err` (status 2), the pass list over `headless` (status 0, or 1 after a fatal error of the
// station files). Nothing when the arguments ask for the scheduler's screen. `errIsTerminal`:
// --all may show its progress on `err`.
std::optional<int> answerSchedulerOptions(const std::vector<std::string>& args, Console& headless, std::ostream& out,
                                          std::ostream& err, bool errIsTerminal = false);

}  // namespace station
