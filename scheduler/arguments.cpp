#include "scheduler/arguments.hpp"

#include "scheduler/pass_list.hpp"
#include "scheduler/scheduler.hpp"
#include "text/numbers.hpp"

#include <algorithm>
#include <cctype>
#include <ostream>

namespace station {

namespace {

// Digits with at most one decimal point: no sign, exponent or blank, so that a typing error is
// never read as some other span.
std::optional<double> daysOf(const std::string& text) {
    const bool digitsAndPoint = std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '.';
    });
    const bool oneNumber = std::count(text.begin(), text.end(), '.') <= 1 &&
                           std::any_of(text.begin(), text.end(), [](char c) {
                               return std::isdigit(static_cast<unsigned char>(c));
                           });
    if (!digitsAndPoint || !oneNumber) {
        return std::nullopt;
    }
    const double days = leadingNumber(text);
    if (!(days > 0 && days <= passListMaximumDays)) {
        return std::nullopt;
    }
    return days;
}

SchedulerCommandLine answer(SchedulerCommandLine::Action action, std::string error = {}) {
    SchedulerCommandLine commandLine;
    commandLine.action = action;
    commandLine.error = std::move(error);
    return commandLine;
}

SchedulerCommandLine usageError(std::string error) {
    return answer(SchedulerCommandLine::Action::usageError, std::move(error));
}

}  // namespace

SchedulerCommandLine parseSchedulerCommandLine(const std::vector<std::string>& args) {
    SchedulerCommandLine commandLine;
    bool daysGiven = false;
    for (const std::string& arg : args) {
        if (arg == "--help") {
            return answer(SchedulerCommandLine::Action::help);
        }
        if (arg == "--version") {
            return answer(SchedulerCommandLine::Action::version);
        }
        if (arg == "--passes") {
            commandLine.action = SchedulerCommandLine::Action::passes;
        } else if (arg == "--csv") {
            commandLine.csv = true;
        } else if (arg.starts_with("--")) {
            return usageError("unknown option " + arg);
        } else if (commandLine.action == SchedulerCommandLine::Action::passes && !daysGiven) {
            const auto days = daysOf(arg);
            if (!days) {
                return usageError("DAYS must be a number above 0 and at most 10, not '" + arg + "'");
            }
            commandLine.days = *days;
            daysGiven = true;
        } else {
            return usageError("unexpected argument '" + arg + "'");
        }
    }
    if (commandLine.csv && commandLine.action != SchedulerCommandLine::Action::passes) {
        return usageError("--csv goes with --passes");
    }
    return commandLine;
}

std::string schedulerVersionText() { return "mirados " + std::string(schedulerVersion); }

std::string schedulerHelpText() {
    return "Usage: mirados\n"
           "       mirados --passes [DAYS] [--csv]\n"
           "       mirados --help | --version\n"
           "\n"
           "Schedules the passes of the satellites of MIRADOS.CFG from the station\n"
           "directory (the current directory), shows them with a live panel on an 80x25\n"
           "terminal, and at each AOS runs the entry's job file ENTRY.BAT with /bin/sh.\n"
           "\n"
           "  --passes [DAYS]  print the passes of the scheduled and watched entries over\n"
           "                   the next DAYS days (default 2, at most 10), sorted by AOS,\n"
           "                   in local time, and exit\n"
           "  --csv            with --passes: comma-separated values with a header line\n"
           "  --help           print this help and exit\n"
           "  --version        print the version and exit\n"
           "\n"
           "Reads:  KELVORIN.CFG, MIRADOS.CFG, the keplerian data file (value 2 of\n"
           "        KELVORIN.CFG), ENTRY.BAT\n"
           "Writes: MIRADOS.LOG (events with UTC times; MIRADOS.LOG.1 after 1 MB),\n"
           "        mirados.prom and mirados.json (status, in the directory of value 48)\n"
           "\n"
           "Keys:   T run a job now (asks for its name), M switch the right-hand panel\n"
           "        between the live view and the coming passes, Q quit.\n"
           "\n"
           "Exit status: 0 after Q, --passes, --help or --version; 1 after a fatal error;\n"
           "             2 after a usage error.\n"
           "\n"
           "See mirados(1) and kelvorin.cfg(5).\n";
}

std::optional<int> answerSchedulerOptions(const std::vector<std::string>& args, Console& headless, std::ostream& out,
                                          std::ostream& err) {
    const SchedulerCommandLine commandLine = parseSchedulerCommandLine(args);
    switch (commandLine.action) {
        case SchedulerCommandLine::Action::help:
            out << schedulerHelpText();
            return 0;
        case SchedulerCommandLine::Action::version:
            out << schedulerVersionText() << '\n';
            return 0;
        case SchedulerCommandLine::Action::usageError:
            err << "mirados: " << commandLine.error << "\nTry mirados --help.\n";
            return 2;
        case SchedulerCommandLine::Action::passes:
            return printPassList(headless, commandLine.days, commandLine.csv, out, err);
        case SchedulerCommandLine::Action::schedule:
            break;
    }
    return std::nullopt;
}

}  // namespace station
