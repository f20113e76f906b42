#include "tracker/screen.hpp"
#include "tracker_fixture.hpp"

namespace station::trackertest {
namespace {

class CommandsTest : public TrackerTest {
protected:
    void SetUp() override {
        loadStation();
        dir.write("KELVORIN.FRC", "ISS\r\n145990\r\n437800\r\nFM\r\nFM\r\n0\r\n");
        drawScreen(s);
    }
    void press(const std::string& key) {
        mc.keyboard.push(key);
        tracker.serviceCommands();
    }
    void manualWith(const std::string& designation) {
        s.selectionMode = SelectionMode::keyboard;
        s.selection = {designation, designation};
    }
    std::string selectionField() const { return mc.screen.rowText(22, 25, 36); }
};

TEST_F(CommandsTest, QuitInEitherCaseEndsTheProgramWithACleanScreen) {
    for (const std::string key : {"Q", "q"}) {
        drawScreen(s);
        mc.keyboard.push(key);
        int status = -1;
        try {
            tracker.serviceCommands();
        } catch (const ProgramExit& exit) {
            status = exit.status;
        }
        EXPECT_EQ(status, 0) << key;
        EXPECT_EQ(mc.screen.cell(4, 32), (Cell{' ', 15, 0})) << key;
    }
}

TEST_F(CommandsTest, ModeKeysWriteTheSelectionField) {
    dir.write("KELVORIN.CMD", "NONE\r\n");
    press("m");
    EXPECT_EQ(s.selectionMode, SelectionMode::keyboard);
    EXPECT_EQ(selectionField(), "Manual      ");
    press("a");
    EXPECT_EQ(s.selectionMode, SelectionMode::commandFile);
    EXPECT_EQ(selectionField(), "Automatic   ");

    s.commandLine = "iss";
    tracker.serviceCommands();
    EXPECT_EQ(selectionField(), "Command Line");
    press("M");
    EXPECT_EQ(s.selectionMode, SelectionMode::keyboard);
    EXPECT_EQ(selectionField(), "Manual      ");
    EXPECT_EQ(s.selection.satelliteDesignation, "ISS");
}

TEST_F(CommandsTest, AutomaticFromCommandLineModeReadsTheCommandFileAtOnce) {
    dir.write("KELVORIN.CMD", "so-50\r\n");
    s.commandLine = "iss";
    tracker.serviceCommands();
    EXPECT_EQ(s.selection.satelliteDesignation, "ISS");
    press("A");
    EXPECT_EQ(s.selectionMode, SelectionMode::commandFile);
    EXPECT_EQ(s.selection.satelliteDesignation, "SO-50");
}

TEST_F(CommandsTest, InAutomaticModeTheManualKeysDoNothing) {
    dir.write("KELVORIN.CMD", "ISS\r\n");
    tracker.serviceCommands();
    s.showStatus("Waiting for ISS");
    for (const std::string key : {"T", "S", "C", "G", "t", "s", "c", "g"}) {
        press(key);
        EXPECT_EQ(s.selection.satelliteDesignation, "ISS") << key;
        EXPECT_EQ(s.tuning.tuningMode, "") << key;
        EXPECT_EQ(statusLine(), "Waiting for ISS" + std::string(25, ' ')) << key;
        EXPECT_EQ(messageLine(), std::string(78, ' ')) << key;
    }
    EXPECT_EQ(mc.clock.millis, 0);
}

TEST_F(CommandsTest, StopDropsTheSatelliteInManualMode) {
    manualWith("AO-91");
    press("s");
    EXPECT_EQ(s.selection.satelliteDesignation, "");
    EXPECT_EQ(s.selection.lookupName, "");
}

TEST_F(CommandsTest, TrackWithoutASatelliteAsksForOne) {
    manualWith("");
    mc.keyboard.push("T");
    mc.keyboard.type("so-50");
    tracker.serviceCommands();
    EXPECT_EQ(s.selection.satelliteDesignation, "SO-50");
    EXPECT_EQ(s.tuning.tuningMode, "");
}

TEST_F(CommandsTest, TrackWithoutFrequencyDataRefusesTuningForTwoSeconds) {
    manualWith("AO-7~B");
    s.frequencies.noFrequencyData = 1;
    std::string shown;
    mc.sleeper.recordSleeps = true;
    mc.sleeper.onTime = [&](std::int64_t) { shown = messageLine(); };
    press("t");
    EXPECT_EQ(shown, " Cannot tune PPM data!!!  KELVORIN.FRC file has no data for AO-7~B." + std::string(11, ' '));
    EXPECT_EQ(mc.sleeper.sleeps, std::vector<int>{2000});
    EXPECT_EQ(messageLine(), std::string(78, ' '));
    EXPECT_EQ(s.tuning.tuningMode, "");
}

TEST_F(CommandsTest, TrackEntersTuningAndIsNotAlsoTakenAsATuningKey) {
    manualWith("ISS");
    s.frequencies = *readFrequencyRecord(mc.files, "ISS");
    press("t");
    // Entering tuning selects RX; the same key is not then taken as "T" (select TX).
    EXPECT_EQ(s.tuning.tuningMode, "R");
    EXPECT_EQ(mc.screen.rowText(24, 39, 39), "R");
    press("t");
    EXPECT_EQ(s.tuning.tuningMode, "T");
    EXPECT_EQ(mc.screen.rowText(24, 39, 39), "T");
}

TEST_F(CommandsTest, WhileTuningStopSavesAndKeepsTheSatellite) {
    manualWith("ISS");
    s.frequencies = *readFrequencyRecord(mc.files, "ISS");
    press("t");
    press(keyUp);
    press("s");
    EXPECT_EQ(s.selection.satelliteDesignation, "ISS");
    EXPECT_EQ(s.tuning.tuningMode, "R");
    EXPECT_NE(mc.files.readText("KELVORIN.FRC").value_or("").find("437800.1"), std::string::npos);
    // "A" is refused while tuning; "M" is not.
    press("a");
    EXPECT_EQ(s.selectionMode, SelectionMode::keyboard);
    EXPECT_EQ(selectionField(), "Automatic   ");
    press("m");
    EXPECT_EQ(selectionField(), "Manual      ");
    press("e");
    EXPECT_EQ(s.tuning.tuningMode, "");
    press("a");
    EXPECT_EQ(s.selectionMode, SelectionMode::commandFile);
}

TEST_F(CommandsTest, ArrowsAndOtherKeysDoNothingOutsideTuning) {
    manualWith("ISS");
    s.frequencies.uplinkKhz = 145990;
    s.frequencies.downlinkKhz = 437800;
    for (const std::string& key : {keyUp, keyDown, keyLeft, keyRight, std::string("E"), std::string("R"),
                                   std::string("x"), std::string("\x1b")}) {
        press(key);
    }
    EXPECT_EQ(s.frequencies.uplinkKhz, 145990);
    EXPECT_EQ(s.frequencies.downlinkKhz, 437800);
    EXPECT_EQ(s.selection.satelliteDesignation, "ISS");
    EXPECT_EQ(s.selectionMode, SelectionMode::keyboard);
    EXPECT_EQ(mc.clock.millis, 0);
}

TEST_F(CommandsTest, OneKeyPerPass) {
    dir.write("KELVORIN.CMD", "NONE\r\n");
    mc.keyboard.push("m");
    mc.keyboard.push("a");
    tracker.serviceCommands();
    EXPECT_EQ(s.selectionMode, SelectionMode::keyboard);
    tracker.serviceCommands();
    EXPECT_EQ(s.selectionMode, SelectionMode::commandFile);
}

}  // namespace
}  // namespace station::trackertest
