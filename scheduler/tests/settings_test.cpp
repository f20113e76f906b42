#include "scheduler/tests/rig.hpp"

#include "text/numbers.hpp"

#include <cmath>
#include <optional>

namespace station::testing {
namespace {

// The settings, or the end the scheduler makes of a file it cannot take.
SchedulerSettings parse(const std::string& text) {
    LineReader lines(splitLines(text));
    const auto settings = parseSchedulerSettings(lines);
    if (!settings) {
        throw ProgramExit{1};
    }
    return *settings;
}

TEST(SchedulerSettings, CommentsAnywhereCaseSuffixesAndBlanks) {
    std::string text = ";head\n;again\niss\n;between\nao-7~b\n  so-50 \n";
    for (int i = 4; i <= 15; ++i) {
        text += "\n";
    }
    text += ";watched\nnoaa-15\n";
    for (int i = 17; i <= 30; ++i) {
        text += ";c\n\n";
    }
    text += "12.5 degrees\n;colours\n2.5\n3.5\n14\n1.5\n;after\n";
    const SchedulerSettings s = parse(text);
    EXPECT_EQ(s.scheduledEntries[0], "ISS");
    EXPECT_EQ(s.scheduledEntries[1], "AO-7~B");
    EXPECT_EQ(s.scheduledEntries[2], "  SO-50 ");
    EXPECT_EQ(s.scheduledEntries[3], "");
    EXPECT_EQ(s.nonScheduledEntries[0], "NOAA-15");
    EXPECT_EQ(s.minimumPassElevation, static_cast<float>(12.5 * 3.1415926535898 / 180));
    // Halves round to the even neighbour, also in the 35th value, the overlap rule.
    EXPECT_EQ(s.backgroundColour, 2);
    EXPECT_EQ(s.foregroundColour, 4);
    EXPECT_EQ(s.highlightColour, 14);
    EXPECT_EQ(s.overlapRule, OverlapRule::higherFirst);
}

TEST(SchedulerSettings, OverlapRuleAndShortestPartAfterTheColours) {
    const std::string text = schedulerConfig({"ISS"});
    EXPECT_EQ(parse(text).overlapRule, OverlapRule::byAos);
    EXPECT_EQ(parse(text).shortestPartMinutes, 3.0f);
    EXPECT_EQ(parse(text + "1\n;minutes\n2.5\n").shortestPartMinutes, 2.5f);
    EXPECT_EQ(parse(text + "1\n0\n").shortestPartMinutes, 3.0f);
    for (const std::string bad : {"3\n", "-1\n", "1\n-0.5\n", "1\n1E41\n", "70000\n"}) {
        EXPECT_THROW(parse(text + bad), ProgramExit) << bad;
    }
}

TEST(SchedulerSettings, ShortFileGivesEmptySlotsAndZeros) {
    const SchedulerSettings s = parse("ISS\n");
    EXPECT_EQ(s.scheduledEntries[0], "ISS");
    EXPECT_EQ(s.scheduledEntries[14], "");
    EXPECT_EQ(s.nonScheduledEntries[0], "");
    EXPECT_EQ(s.minimumPassElevation, 0.0f);
    EXPECT_EQ(s.highlightColour, 0);
}

TEST(SchedulerSettings, FileFoundInAnyCaseAndMissingFileIsToldApart) {
    StationDir dir;
    Files files(dir.path());
    const auto missing = readSchedulerSettings(files);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), FileFailure::notFound);
    dir.write("mirados.cfg", schedulerConfig({"iss"}));
    EXPECT_EQ(readSchedulerSettings(files)->scheduledEntries[0], "ISS");
}

TEST(SchedulerSettings, NumbersTheirFieldsCannotHoldAreAFailureOfTheFile) {
    StationDir dir;
    Files files(dir.path());
    const auto readFails = [&](const std::string& elevation, const std::string& colour) {
        std::string text = schedulerConfig({"ISS"}, {}, elevation);
        text.replace(text.rfind("\n1\n"), 3, "\n" + colour + "\n");
        dir.write("MIRADOS.CFG", text);
        const auto read = readSchedulerSettings(files);
        if (!read) {
            EXPECT_EQ(read.error(), FileFailure::badValue);
            return true;
        }
        EXPECT_EQ(read->backgroundColour, toInt16(leadingNumber(colour)));
        return false;
    };
    EXPECT_FALSE(readFails("10", "32767"));
    EXPECT_FALSE(readFails("10", "-32768"));
    EXPECT_TRUE(readFails("10", "40000"));
    EXPECT_TRUE(readFails("10", "-32768.6"));
    EXPECT_TRUE(readFails("1E41", "1"));
}

// Runs the scheduler until its handler waits for a key; returns the message line shown then.
std::string fatalMessage(Rig& rig, const std::function<void()>& action) {
    std::string shown;
    rig.mc.sleeper.onTime = [&](std::int64_t) {
        if (shown.empty()) {
            shown = rig.mc.screen.rowText(24, 3, 79);
            rig.mc.keyboard.push("x");
        }
    };
    action();
    const Cell blank{' ', 15, 0};
    EXPECT_EQ(rig.mc.screen.cell(24, 3), blank);
    EXPECT_EQ(rig.mc.screen.cell(1, 1), blank);
    const auto end = shown.find_last_not_of(' ');
    return shown.substr(0, end + 1);
}

TEST(SchedulerErrors, EveryFailureHasItsMessageAndEndsWithStatus1) {
    const std::vector<std::pair<std::optional<SchedulerFailure>, std::string>> expected{
        {SchedulerFailure::stationConfigMissing, "ERROR: Could not find KELVORIN.CFG file! Cannot continue."},
        {SchedulerFailure::stationConfigBad, "ERROR in KELVORIN.CFG file!  Cannot continue."},
        {SchedulerFailure::settingsMissing, "ERROR: Could not find MIRADOS.CFG file! Cannot continue."},
        {SchedulerFailure::settingsBad, "ERROR in MIRADOS.CFG file! Cannot continue."},
        {SchedulerFailure::elementFileMissing, "ERROR: Could not find keplerian data file! Cannot continue."},
        {SchedulerFailure::satelliteMissing, "ERROR: Keplerian data file has no data for AO-7. Cannot continue."},
        {SchedulerFailure::elementFileBad, "ERROR in keplerian data file! Cannot continue."},
        {std::nullopt, "Unexpected error  7. Please report to the author."},
    };
    for (const auto& [failure, text] : expected) {
        Rig rig(schedulerConfig({}));
        int status = -1;
        EXPECT_EQ(fatalMessage(rig,
                               [&] {
                                   try {
                                       if (failure) {
                                           rig.scheduler.fail(*failure, "AO-7");
                                       }
                                       rig.scheduler.failUnexpectedly(7);
                                   } catch (const ProgramExit& exit) {
                                       status = exit.status;
                                   }
                               }),
                  text);
        EXPECT_EQ(status, 1) << text;
    }
}

TEST(SchedulerErrors, AFatalMessageNobodyAnswersEndsTheRunAfterAMinute) {
    Rig rig(schedulerConfig({"ISS"}));
    std::filesystem::remove(rig.dir.path() / "KEPS.TXT");
    const std::int64_t start = rig.mc.clock.millis;
    rig.mc.sleeper.limitMillis = start + 3'600'000;
    std::string shownAt59;
    rig.mc.sleeper.onTime = [&](std::int64_t millis) {
        if (millis == start + 59'000) {
            shownAt59 = rig.mc.screen.rowText(24, 3, 61);
        }
    };
    EXPECT_EQ(rig.scheduler.run(), 1);
    EXPECT_EQ(shownAt59, "ERROR: Could not find keplerian data file! Cannot continue.");
    EXPECT_EQ(rig.mc.clock.millis, start + 60'000);
    EXPECT_EQ(rig.mc.screen.cell(24, 3), (Cell{' ', 15, 0}));
}

TEST(SchedulerErrors, MissingFilesAndUnknownSatellitesEndTheRun) {
    const auto runWith = [](const std::string& missing, const std::string& mirados) {
        Rig rig(mirados);
        std::filesystem::remove(rig.dir.path() / missing);
        int status = -1;
        const std::string text = fatalMessage(rig, [&] { status = rig.scheduler.run(); });
        EXPECT_EQ(status, 1);
        return text;
    };
    EXPECT_EQ(runWith("KELVORIN.CFG", ""), "ERROR: Could not find KELVORIN.CFG file! Cannot continue.");
    EXPECT_EQ(runWith("MIRADOS.CFG", ""), "ERROR: Could not find MIRADOS.CFG file! Cannot continue.");
    EXPECT_EQ(runWith("KEPS.TXT", schedulerConfig({"ISS"})),
              "ERROR: Could not find keplerian data file! Cannot continue.");
    // Trailing blanks stay part of the entry, so it names no satellite of the file.
    EXPECT_EQ(runWith("none", schedulerConfig({"ISS "})),
              "ERROR: Keplerian data file has no data for ISS . Cannot continue.");
    EXPECT_EQ(runWith("none", schedulerConfig({}, {"sputnik~1"})),
              "ERROR: Keplerian data file has no data for SPUTNIK. Cannot continue.");
}

// The rig's KELVORIN.CFG with value `position` (1 to 44) replaced.
std::string stationConfigWith(int position, const std::string& value) {
    std::string text;
    int seen = 0;
    for (const std::string& line : splitLines(stationConfig())) {
        const bool isValue = line.empty() || line.front() != ';';
        seen += isValue ? 1 : 0;
        text += (isValue && seen == position ? value : line) + "\n";
    }
    return text;
}

// Found by fuzzing KELVORIN.CFG into the pass search: an infinite search step froze every
// entry's search, an infinite UTC offset made every day number NaN.
TEST(SchedulerErrors, StationValuesOverflowingTheirFieldsEndTheRun) {
    for (const auto& [position, value] :
         {std::pair{6, "1E41"}, std::pair{17, "-1E41"}, std::pair{3, "-1E39"}}) {
        Rig rig(schedulerConfig({"ISS", "SO-50"}));
        rig.dir.write("KELVORIN.CFG", stationConfigWith(position, value));
        int status = -1;
        EXPECT_EQ(fatalMessage(rig, [&] { status = rig.scheduler.run(); }),
                  "ERROR in KELVORIN.CFG file!  Cannot continue.")
            << position;
        EXPECT_EQ(status, 1);
    }
}

}  // namespace
}  // namespace station::testing
