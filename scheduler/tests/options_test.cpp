#include "console/testsupport/memory.hpp"
#include "console/testsupport/station_dir.hpp"
#include "scheduler/arguments.hpp"
#include "scheduler/scheduler.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace station {
namespace {

using Action = SchedulerCommandLine::Action;

TEST(SchedulerOptions, PassesWithDaysAndCsvHelpVersionAndUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        Action action;
        double days;
        bool csv;
        std::string error;
    };
    const std::vector<Case> cases{
        {{}, Action::schedule, 2, false, ""},
        {{"--passes"}, Action::passes, 2, false, ""},
        {{"--passes", "7"}, Action::passes, 7, false, ""},
        {{"--passes", "0.5", "--csv"}, Action::passes, 0.5, true, ""},
        {{"--csv", "--passes", "10"}, Action::passes, 10, true, ""},
        {{"--passes", "--help"}, Action::help, 2, false, ""},
        {{"--version", "--bogus"}, Action::version, 2, false, ""},
        {{"--passes", "0"}, Action::usageError, 2, false, "DAYS must be a number above 0 and at most 10, not '0'"},
        {{"--passes", "10.5"}, Action::usageError, 2, false,
         "DAYS must be a number above 0 and at most 10, not '10.5'"},
        {{"--passes", "-1"}, Action::usageError, 2, false, "DAYS must be a number above 0 and at most 10, not '-1'"},
        {{"--passes", "2x"}, Action::usageError, 2, false, "DAYS must be a number above 0 and at most 10, not '2x'"},
        {{"--passes", "1e1"}, Action::usageError, 2, false, "DAYS must be a number above 0 and at most 10, not '1e1'"},
        {{"--passes", "."}, Action::usageError, 2, false, "DAYS must be a number above 0 and at most 10, not '.'"},
        {{"--passes", "1.2.3"}, Action::usageError, 2, false,
         "DAYS must be a number above 0 and at most 10, not '1.2.3'"},
        {{"--passes", "2", "3"}, Action::usageError, 2, false, "unexpected argument '3'"},
        {{"ISS"}, Action::usageError, 2, false, "unexpected argument 'ISS'"},
        {{"--csv"}, Action::usageError, 2, false, "--csv goes with --passes"},
        {{"--pass"}, Action::usageError, 2, false, "unknown option --pass"},
    };
    for (const Case& c : cases) {
        const SchedulerCommandLine parsed = parseSchedulerCommandLine(c.args);
        const std::string name = c.args.empty() ? "(none)" : c.args.front() + " ...";
        EXPECT_EQ(parsed.action, c.action) << name;
        EXPECT_EQ(parsed.error, c.error) << name;
        if (c.action == Action::passes) {
            EXPECT_EQ(parsed.days, c.days) << name;
            EXPECT_EQ(parsed.csv, c.csv) << name;
        }
    }
}

struct Answer {
    std::optional<int> status;
    std::string out;
    std::string err;
};

Answer answer(const std::vector<std::string>& args) {
    // Nothing here reads the station directory: an empty one shows it.
    testing::StationDir dir;
    MemoryConsole headless(dir.path());
    std::ostringstream out;
    std::ostringstream err;
    const auto status = answerSchedulerOptions(args, headless.console, out, err);
    return {status, out.str(), err.str()};
}

TEST(SchedulerOptions, HelpAndVersionOnStandardOutputUsageErrorsOnStandardError) {
    const Answer version = answer({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "mirados 2.0\n");
    EXPECT_EQ(programBanner, "MIRADOS 2.0");

    const Answer usage = answer({"--passes", "many"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.out, "");
    EXPECT_EQ(usage.err,
              "mirados: DAYS must be a number above 0 and at most 10, not 'many'\nTry mirados --help.\n");

    EXPECT_EQ(answer({}).status, std::nullopt);

    const Answer help = answer({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_TRUE(help.out.starts_with("Usage: mirados\n       mirados --passes [DAYS] [--csv]\n")) << help.out;
    for (const char* text : {"KELVORIN.CFG", "MIRADOS.CFG", "keplerian data file", "ENTRY.BAT", "MIRADOS.LOG",
                             "T run a job", "M switch", "Q quit", "Exit status: 0", "See mirados(1)"}) {
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    }
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LT(line.size(), 80u) << line;
    }
}

}  // namespace
}  // namespace station
