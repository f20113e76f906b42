#include "tracker/rotator_control.hpp"
#include "tracker/tests/rotator_fixture.hpp"

#include <set>

namespace rotatortest {
namespace {

class Calibration : public RotatorTest {
protected:
    // Types the entries and runs the calibration up to its final wait for a key, which no key
    // ends: the screen can then be read as the operator sees it.
    void calibrateUntilFinalKey(std::initializer_list<std::string> entries) {
        for (const auto& entry : entries) {
            mc.keyboard.type(entry);
        }
        mc.sleeper.limitMillis = mc.clock.millis + 5000;
        EXPECT_THROW(calibrateRotator(s), SimulatedTimeExhausted);
        EXPECT_EQ(mc.keyboard.pending(), 0u);
    }
    std::string message() const { return row(24, 3, 79); }
    static std::string padded(std::string text) {
        text.resize(77, ' ');
        return text;
    }
};

TEST_F(Calibration, RawCountsShowTheirAzimuthForASouthStop) {
    s.station.rotatorInterface = RotatorInterface::gFrame;
    s.station.azimuthStopNorth = 0;
    s.station.rotatorPort = 0;
    calibrateUntilFinalKey({"0", "255"});
    EXPECT_EQ(row(4, 40, 51), "Calibrating ");
    EXPECT_EQ(message(), padded("Azimuth is 180.7 degrees, elevation is 179.6 degrees."));
    EXPECT_EQ(s.rotator.rawAzimuth, 0);
    EXPECT_EQ(s.rotator.rawElevation, 255);
    EXPECT_TRUE(mc.ports.writes.empty());
}

TEST_F(Calibration, RawCountsOfA450DegreeRotator) {
    s.station.rotatorInterface = RotatorInterface::gFrame;
    s.station.rotator450 = 1;
    s.station.rotatorPort = 0;
    calibrateUntilFinalKey({"255", "0"});
    EXPECT_EQ(message(), padded("Azimuth is 449.1 degrees, elevation is   0.4 degrees."));
}

TEST_F(Calibration, RawCountsAboveTheLatchRangeAreAskedAgain) {
    s.station.rotatorInterface = RotatorInterface::gFrame;
    s.station.rotatorPort = 0;
    calibrateUntilFinalKey({"256", "-1", "12", "300", "7"});
    EXPECT_EQ(s.rotator.rawAzimuth, 12);
    EXPECT_EQ(s.rotator.rawElevation, 7);
}

TEST_F(Calibration, LatchesGetTheirSequenceWithPauses) {
    s.station.rotatorInterface = RotatorInterface::gFrame;
    s.station.rotatorPort = 0x378;
    mc.sleeper.recordSleeps = true;
    calibrateUntilFinalKey({"200", "100"});
    const std::vector<std::pair<int, std::uint8_t>> expected = {
        {0x378, 200}, {0x37A, 2}, {0x37A, 3}, {0x37A, 2}, {0x378, 100}, {0x37A, 0}, {0x37A, 1}, {0x37A, 0},
    };
    EXPECT_EQ(mc.ports.writes, expected);
    int latchPauses = 0;
    for (const int ms : mc.sleeper.sleeps) {
        latchPauses += ms == 200 ? 1 : 0;
    }
    EXPECT_EQ(latchPauses, 5);
    EXPECT_EQ(message(), padded("Azimuth is 282.0 degrees, elevation is  70.7 degrees."));
}

TEST_F(Calibration, RefusedPortOutputIsReportedNotFatal) {
    s.station.rotatorInterface = RotatorInterface::gFrame;
    s.station.rotatorPort = 0x378;
    mc.ports.allowed = false;
    std::set<std::string> shown;
    mc.sleeper.onTime = [&](std::int64_t) { shown.insert(row(24, 3, 79)); };
    calibrateUntilFinalKey({"0", "0"});
    EXPECT_TRUE(shown.count(padded("Direct port output not permitted: latches not set.")));
    // The position comes back for the operator once the note has been read.
    EXPECT_EQ(message(), padded("Azimuth is   0.7 degrees, elevation is   0.4 degrees."));
}

TEST_F(Calibration, DegreesToTheRotatorFile) {
    s.station.rotatorInterface = RotatorInterface::rotDat;
    s.station.rotatorPort = 0;
    calibrateUntilFinalKey({"451", "360", "181", "90"});
    EXPECT_EQ(dir.read("ROT.DAT"), "AZ360 EL090\r\n");
    EXPECT_EQ(message(), padded("Azimuth is 360 degrees, elevation is  90 degrees."));

    mc.keyboard.type("45");
    mc.keyboard.type("5");
    mc.sleeper.limitMillis = mc.clock.millis + 5000;
    EXPECT_THROW(calibrateRotator(s), SimulatedTimeExhausted);
    EXPECT_EQ(dir.read("ROT.DAT"), "AZ045 EL005\r\n");
}

TEST_F(Calibration, DegreesAsTextCommands) {
    s.station.rotatorInterface = RotatorInterface::wText;
    calibrateUntilFinalKey({"450", "180"});
    EXPECT_EQ(sentText(), "W450 180\r");

    sent().clear();
    s.station.rotatorInterface = RotatorInterface::aeText;
    calibrateUntilFinalKey({"45", "5"});
    EXPECT_EQ(sentText(), "A\r45\rE\r5\r");
}

TEST_F(Calibration, FinalKeyLeavesTheTrackerIdle) {
    s.station.rotatorInterface = RotatorInterface::wText;
    s.selection.satelliteDesignation = "AO-91~FM";
    s.selection.lookupName = "AO-91";
    s.showStatus("Tracking AO-91~FM");
    mc.keyboard.type("10");
    mc.keyboard.type("20");
    mc.keyboard.push("x");
    calibrateRotator(s);
    EXPECT_EQ(mc.keyboard.pending(), 0u);
    EXPECT_EQ(message(), padded(""));
    EXPECT_EQ(row(4, 40, 79), padded("Idling").substr(0, 40));
    EXPECT_EQ(s.selection.satelliteDesignation, "");
    EXPECT_EQ(s.selection.lookupName, "");
}

TEST_F(Calibration, TheNextPassDrivesTheRotatorBackEvenToItsOldPosition) {
    s.station.rotatorInterface = RotatorInterface::wText;
    pointSatellite(100, 10);
    driveRotator(s);
    mc.keyboard.type("200");
    mc.keyboard.type("30");
    mc.keyboard.push("x");
    calibrateRotator(s);
    pointSatellite(100, 10);
    driveRotator(s);
    EXPECT_EQ(sentText(), "W100 010\rW200 030\rW100 010\r");
}

}  // namespace
}  // namespace rotatortest
