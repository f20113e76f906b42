#include "tracker/errors.hpp"
#include "tracker/screen.hpp"
#include "tracker_fixture.hpp"

namespace station::trackertest {
namespace {

class ErrorsTest : public TrackerTest {
protected:
    void SetUp() override {
        loadStation({{16, "1"}, {19, "2"}, {37, "3"}});
        drawScreen(s);
        mc.sleeper.recordSleeps = true;
        mc.sleeper.onTime = [this](std::int64_t) {
            if (shownDuringWait.empty()) {
                shownDuringWait = messageLine();
            }
        };
    }
    // Reports a failure; true when the program ended (with status 1).
    bool fail(const std::function<void()>& report) {
        try {
            report();
        } catch (const ProgramExit& exit) {
            EXPECT_EQ(exit.status, 1);
            return true;
        }
        return false;
    }
    bool fail(TrackerFailure failure) {
        return fail([&] { reportFailure(s, failure); });
    }
    bool failUnexpectedly(int errorNumber) {
        return fail([&] { reportUnexpectedFailure(s, errorNumber); });
    }
    // Columns 2 to 79 of the message line showing a text.
    static std::string onMessageLine(const std::string& text) {
        return " " + text + std::string(77 - text.size(), ' ');
    }
    void expectClearedWhiteOnBlack() {
        for (int row = 1; row <= Screen::rows; ++row) {
            for (int column = 1; column <= Screen::columns; ++column) {
                ASSERT_EQ(mc.screen.cell(row, column), (Cell{' ', 15, 0})) << row << "," << column;
            }
        }
    }

    std::string shownDuringWait;
};

struct FailureMessage {
    TrackerFailure failure;
    std::string message;
};

TEST_F(ErrorsTest, ContinuingFailuresShowTheirMessageForTwoSecondsThenClearIt) {
    const std::vector<FailureMessage> failures = {
        {TrackerFailure::commandFileMissing, "Could not find command file. I'm trying again..."},
        {TrackerFailure::commandFileUnreadable, "Command file unaccessible at this moment. I'm trying again..."},
        {TrackerFailure::frequencyFileMissing, "Could not find KELVORIN.FRC file. Showing Doppler PPM."},
        {TrackerFailure::flipFileMissing, "Could not find KVFLIP.DAT file. Continuing without."},
        {TrackerFailure::rotatorPortFailed, "Could not open rotator port. Switching off rotator control."},
        {TrackerFailure::radioPortFailed, "Could not open radio port. Switching off radio control."},
        {TrackerFailure::gpsPortFailed, "Could not open GPS port. Switching off GPS support."},
    };
    for (const auto& [failure, message] : failures) {
        shownDuringWait.clear();
        mc.sleeper.sleeps.clear();
        const std::int64_t start = mc.clock.millis;
        EXPECT_FALSE(fail(failure)) << message;
        EXPECT_EQ(shownDuringWait, onMessageLine(message)) << message;
        EXPECT_EQ(mc.sleeper.sleeps, std::vector<int>{2000}) << message;
        EXPECT_EQ(mc.clock.millis - start, 2000) << message;
        EXPECT_EQ(messageLine(), std::string(78, ' ')) << message;
    }
}

TEST_F(ErrorsTest, RepairsOfTheContinuingFailures) {
    s.selection = {"AO-91~FM", "AO-91"};
    fail(TrackerFailure::commandFileMissing);
    EXPECT_EQ(s.selection.satelliteDesignation, "");
    EXPECT_EQ(s.selection.lookupName, "");

    s.frequencies.noFrequencyData = 0;
    fail(TrackerFailure::frequencyFileMissing);
    EXPECT_EQ(s.frequencies.noFrequencyData, 1);

    s.rotator.flipState = 1;
    fail(TrackerFailure::flipFileMissing);
    EXPECT_EQ(s.rotator.flipState, 0);

    EXPECT_EQ(s.station.rotatorPort, 1);
    fail(TrackerFailure::rotatorPortFailed);
    EXPECT_EQ(s.station.rotatorPort, 0);
    EXPECT_EQ(s.station.radioPort, 2);
    fail(TrackerFailure::radioPortFailed);
    EXPECT_EQ(s.station.radioPort, 0);
    EXPECT_EQ(s.station.gpsPort, 3);
    fail(TrackerFailure::gpsPortFailed);
    EXPECT_EQ(s.station.gpsPort, 0);

    s.selection = {"SO-50", "SO-50"};
    fail(TrackerFailure::commandFileUnreadable);
    EXPECT_EQ(s.selection.satelliteDesignation, "SO-50");
}

TEST_F(ErrorsTest, AKeyEndsThePauseAtOnceAndStaysWaiting) {
    mc.keyboard.pushAt(700, "m");
    EXPECT_FALSE(fail(TrackerFailure::commandFileUnreadable));
    EXPECT_EQ(mc.clock.millis, 700);
    EXPECT_EQ(messageLine(), std::string(78, ' '));
    EXPECT_EQ(mc.keyboard.readKey(), "m");
}

TEST_F(ErrorsTest, FatalFailuresWaitForAKeyThenEndWithAClearedWhiteOnBlackScreen) {
    const std::vector<FailureMessage> failures = {
        {TrackerFailure::stationConfigMissing, "ERROR: Could not find configuration file! Cannot continue."},
        {TrackerFailure::stationConfigBad, "Error in configuration file!  Cannot continue."},
        {TrackerFailure::elementFileMissing, "ERROR: Could not find keplerian data file! Cannot continue."},
        {TrackerFailure::elementFileBad, "Error in keplerian data file! Cannot continue."},
    };
    for (const auto& [failure, message] : failures) {
        drawScreen(s);
        shownDuringWait.clear();
        const std::int64_t keyAt = mc.clock.millis + 5000;
        mc.keyboard.pushAt(keyAt, "x");
        EXPECT_TRUE(fail(failure)) << message;
        EXPECT_EQ(shownDuringWait, onMessageLine(message)) << message;
        EXPECT_EQ(mc.clock.millis, keyAt) << message;
        EXPECT_EQ(mc.keyboard.pending(), 0u) << message;
        expectClearedWhiteOnBlack();
    }
}

TEST_F(ErrorsTest, FatalEndClosesTheSerialLinks) {
    testing::openLink(s.rotatorLink, mc.serialPorts, 1);
    testing::openLink(s.radioLink, mc.serialPorts, 2);
    testing::openLink(s.gpsLink, mc.serialPorts, 3, 4800);
    mc.keyboard.push("x");
    EXPECT_TRUE(fail(TrackerFailure::elementFileMissing));
    EXPECT_EQ(s.rotatorLink.get(), nullptr);
    EXPECT_EQ(s.radioLink.get(), nullptr);
    EXPECT_EQ(s.gpsLink.get(), nullptr);
}

TEST_F(ErrorsTest, UnguardedFailureIsFatalWithItsErrorNumber) {
    s.selection = {"ISS", "ISS"};
    mc.keyboard.pushAt(3000, "x");
    EXPECT_TRUE(failUnexpectedly(53));
    EXPECT_EQ(shownDuringWait, onMessageLine("Unexpected error  53. Please report to the author."));
    expectClearedWhiteOnBlack();
}

TEST_F(ErrorsTest, UnguardedFailureWhileTheRadioIsParkedPassesSilently) {
    s.selection = {"AO-7", "AO-7"};
    s.radio.parking = true;
    s.showMessage("Tracking ended");
    EXPECT_FALSE(failUnexpectedly(57));
    EXPECT_EQ(shownDuringWait, onMessageLine("Tracking ended"));
    EXPECT_EQ(mc.sleeper.sleeps, std::vector<int>{2000});
    EXPECT_EQ(messageLine(), std::string(78, ' '));
}

TEST_F(ErrorsTest, MissingFrequencyRecordNamesTheSatelliteExceptForPark) {
    s.selection = {"AO-7~B", "AO-7"};
    reportFrequencyFailure(s, FrequencyFailure::noRecord);
    EXPECT_EQ(shownDuringWait, onMessageLine("No data for AO-7~B in frequency file. Showing Doppler PPM."));
    EXPECT_EQ(s.frequencies.noFrequencyData, 1);

    shownDuringWait.clear();
    s.frequencies.noFrequencyData = 0;
    s.radio.parking = true;
    mc.sleeper.sleeps.clear();
    reportFrequencyFailure(s, FrequencyFailure::noRecord);
    EXPECT_EQ(shownDuringWait, std::string(78, ' '));
    EXPECT_EQ(s.frequencies.noFrequencyData, 1);
    EXPECT_EQ(mc.sleeper.sleeps, std::vector<int>{2000});
}

TEST_F(ErrorsTest, SatelliteMissingFromTheKeplerianFileIsFatalInAutomaticMode) {
    s.selection = {"XO-99~SSB", "XO-99"};
    s.selectionMode = SelectionMode::commandLine;
    mc.keyboard.pushAt(4000, "x");
    EXPECT_TRUE(fail([&] { reportMissingSatellite(s); }));
    EXPECT_EQ(shownDuringWait, onMessageLine("ERROR: Auto mode tried to track a sat that isn't in the kep file."));
    expectClearedWhiteOnBlack();
}

TEST_F(ErrorsTest, SatelliteMissingFromTheKeplerianFileAsksAgainInManualMode) {
    s.selection = {"XO-99~SSB", "XO-99"};
    s.selectionMode = SelectionMode::keyboard;
    std::vector<std::string> messages;
    mc.sleeper.onTime = [&](std::int64_t millis) {
        if (millis == 1 || millis == 2001 || millis == 3500) {
            messages.push_back(mc.screen.rowText(24, 2, 79));
        }
    };
    mc.keyboard.pushAt(2000, "x");
    for (char c : std::string("ao-91~fm")) {
        mc.keyboard.pushAt(3000, std::string(1, c));
    }
    mc.keyboard.pushAt(4000, "\r");
    EXPECT_FALSE(fail([&] { reportMissingSatellite(s); }));
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], onMessageLine("ERROR: Keplerian data file has no data for XO-99."));
    EXPECT_EQ(messages[1], onMessageLine("Please retype satellite designation:"));
    EXPECT_EQ(messages[2], onMessageLine("Please retype satellite designation:ao-91~fm"));
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-91~FM");
    EXPECT_EQ(s.selection.lookupName, "AO-91");
    EXPECT_EQ(messageLine(), std::string(78, ' '));
}

TEST_F(ErrorsTest, MissingConfigurationEndsTheProgramAfterAKey) {
    testing::StationDir empty;
    MemoryConsole console(empty.path());
    Tracker fresh(console.console);
    console.keyboard.pushAt(10000, "q");
    console.sleeper.limitMillis = 60000;
    std::string shown;
    console.sleeper.onTime = [&](std::int64_t millis) {
        if (millis == 9000) {
            shown = console.screen.rowText(24, 2, 79);
        }
    };
    EXPECT_EQ(fresh.run({}), 1);
    EXPECT_EQ(shown, onMessageLine("ERROR: Could not find configuration file! Cannot continue."));
    EXPECT_EQ(console.clock.millis, 10000);
    EXPECT_EQ(console.screen.rowText(24), std::string(80, ' '));
    EXPECT_EQ(console.screen.cell(1, 1), (Cell{' ', 15, 0}));
}

// A station nobody watches: the job that started the tracker must end, and say it failed.
TEST_F(ErrorsTest, AFatalMessageNobodyAnswersEndsTheProgramAfterAMinuteWithStatus1) {
    for (const bool elementFileEmpty : {false, true}) {
        testing::StationDir station;
        station.write("KELVORIN.CFG", stationConfig());
        if (elementFileEmpty) {
            station.write("KEPS.TXT", "");  // a download that failed
        }
        MemoryConsole console(station.path());
        Tracker fresh(console.console);
        console.clock.set(2026, 10, 10, 12, 0, 0);
        const std::int64_t start = console.clock.millis;
        console.sleeper.limitMillis = start + 3'600'000;
        std::string shown;
        console.sleeper.onTime = [&](std::int64_t millis) {
            if (millis == start + 59'999) {
                shown = console.screen.rowText(24, 3, 79);
                shown.erase(shown.find_last_not_of(' ') + 1);
            }
        };
        EXPECT_EQ(fresh.run({"ISS"}), 1) << elementFileEmpty;
        EXPECT_EQ(shown, elementFileEmpty ? "ERROR: Auto mode tried to track a sat that isn't in the kep file."
                                          : "ERROR: Could not find keplerian data file! Cannot continue.");
        EXPECT_GE(console.clock.millis, start + 60'000);
        EXPECT_LE(console.clock.millis, start + 62'000);
        EXPECT_EQ(console.screen.cell(24, 3), (Cell{' ', 15, 0}));
    }
}

// Found by fuzzing KELVORIN.CFG into the pass search: an infinite search step froze the search,
// an infinite UTC offset made every day number NaN. Both are the file's error now.
TEST_F(ErrorsTest, ValuesOverflowingTheirFieldsAreAConfigurationError) {
    for (const auto& [position, value] :
         {std::pair{6, "1E41"}, std::pair{17, "-1E41"}, std::pair{3, "1E39"}}) {
        testing::StationDir station;
        station.write("KELVORIN.CFG", stationConfig({{position, value}}));
        station.copyDemo("KEPS.TXT");
        MemoryConsole console(station.path());
        Tracker fresh(console.console);
        console.keyboard.pushAt(10000, "q");
        console.sleeper.limitMillis = 60000;
        std::string shown;
        console.sleeper.onTime = [&](std::int64_t millis) {
            if (millis == 9000) {
                shown = console.screen.rowText(24, 2, 79);
            }
        };
        EXPECT_EQ(fresh.run({"ISS"}), 1) << position;
        EXPECT_EQ(shown, onMessageLine("Error in configuration file!  Cannot continue.")) << position;
    }
}

}  // namespace
}  // namespace station::trackertest
