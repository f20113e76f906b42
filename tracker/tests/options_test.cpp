#include "tracker/arguments.hpp"
#include "tracker/tracker_state.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace station {
namespace {

using Action = TrackerCommandLine::Action;

TEST(TrackerOptions, OptionsBeginWithTwoDashesEverythingElseIsTheDesignation) {
    const std::vector<std::pair<std::vector<std::string>, Action>> cases{
        {{}, Action::track},
        {{"ao-7~b"}, Action::track},
        {{"ISS", "(ZARYA)"}, Action::track},
        {{"-h"}, Action::track},  // one dash: a designation like any other
        {{"--help"}, Action::help},
        {{"AO-7", "--version"}, Action::version},
        {{"--help", "--bogus"}, Action::help},  // the first option counts
        {{"--bogus", "--help"}, Action::usageError},
        {{"--"}, Action::usageError},
        {{"--HELP"}, Action::usageError},
    };
    for (const auto& [args, action] : cases) {
        EXPECT_EQ(parseTrackerCommandLine(args).action, action) << (args.empty() ? "" : args[0]);
    }
    EXPECT_EQ(parseTrackerCommandLine({"ISS", "--frobnicate=1"}).error, "unknown option --frobnicate=1");
}

struct Answer {
    std::optional<int> status;
    std::string out;
    std::string err;
};

Answer answer(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const auto status = answerTrackerOptions(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(TrackerOptions, HelpAndVersionOnStandardOutputUsageErrorsOnStandardError) {
    const Answer version = answer({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kelvorin 4.1 dev\n");
    EXPECT_EQ(version.err, "");
    // The screen's title names the same version.
    EXPECT_EQ(programTitle, "KELVORIN 4.1 dev");

    const Answer usage = answer({"--foo", "iss"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.out, "");
    EXPECT_EQ(usage.err, "kelvorin: unknown option --foo\nTry kelvorin --help.\n");

    EXPECT_EQ(answer({"iss"}).status, std::nullopt);
    EXPECT_EQ(answer({}).status, std::nullopt);
}

TEST(TrackerOptions, HelpNamesTheFilesKeysAndStatusesWithinTheTerminal) {
    const Answer help = answer({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_TRUE(help.out.starts_with("Usage: kelvorin [DESIGNATION...]\n")) << help.out;
    for (const char* file : {"KELVORIN.CFG", "keplerian data file", "KELVORIN.FRC", "KELVORIN.CMD", "KVFLIP.DAT",
                             "ROT.DAT", "radio.dat", "KELVORIN.GPS", "KELVORIN.LOG", "COMn"}) {
        EXPECT_NE(help.out.find(file), std::string::npos) << file;
    }
    for (const char* key : {"Q quit", "A automatic", "M manual", "T track", "S stop", "C calibrate", "G read"}) {
        EXPECT_NE(help.out.find(key), std::string::npos) << key;
    }
    EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);
    EXPECT_NE(help.out.find("See kelvorin(1)"), std::string::npos);
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LT(line.size(), 80u) << line;
    }
}

}  // namespace
}  // namespace station
