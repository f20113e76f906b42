#include "tracker/rotator_control.hpp"
#include "tracker/tests/rotator_fixture.hpp"

#include <filesystem>

namespace rotatortest {
namespace {

class TrackerDrivesRotator : public RotatorTest {
protected:
    TrackerDrivesRotator() { s.station.rotatorInterface = RotatorInterface::wText; }
};

TEST_F(TrackerDrivesRotator, RowsSeventeenAndEighteenShowThePositionSent) {
    s.rotator.flipState = 1;
    pointSatellite(30, 60);
    driveRotator(s);
    EXPECT_EQ(sentText(), "W210 120\r");
    EXPECT_EQ(row(17, 37, 43), " 210.00");
    EXPECT_EQ(row(18, 37, 43), " 120.00");
}

TEST_F(TrackerDrivesRotator, RotatorFileFailureIsReportedAndThePositionShown) {
    s.station.rotatorInterface = RotatorInterface::rotDat;
    std::filesystem::create_directory(dir.path() / "ROT.DAT");
    pointSatellite(5.7, 45.2);
    driveRotator(s);
    EXPECT_EQ(row(24, 3, 68), "Could not write ROT.DAT (Is a directory). Retrying at next change.");
    EXPECT_EQ(row(17, 37, 43), "   5.70");
}

class TrackerParksRotator : public RotatorTest {
protected:
    TrackerParksRotator() {
        s.station.rotatorInterface = RotatorInterface::wText;
        s.station.parkEnabled = 1;
        s.station.parkAzimuth = static_cast<float>(radians(180));
        s.station.parkElevation = radians(120);
        s.station.trackingStep = static_cast<float>(radians(10));
    }
};

TEST_F(TrackerParksRotator, GoesStraightToAParkElevationOverTheTopAndSendsOnce) {
    s.rotator.flipState = 1;
    pointSatellite(45, 10);
    parkRotator(s);
    parkRotator(s);
    EXPECT_EQ(sentText(), "W180 120\r");
    EXPECT_EQ(row(16, 37, 44), "(Parked)");
    EXPECT_EQ(row(17, 37, 43), " 180.00");
    EXPECT_EQ(row(18, 37, 43), " 120.00");
    // The park goes to its own target: the satellite's position stays as it was computed.
    EXPECT_DOUBLE_EQ(s.satellite.azimuth, radians(45));
    EXPECT_DOUBLE_EQ(s.satellite.elevation, radians(10));
    EXPECT_EQ(s.station.trackingStep, static_cast<float>(radians(10)));
    EXPECT_EQ(s.rotator.flipState, 1);
}

TEST_F(TrackerParksRotator, DisabledDoesNothing) {
    s.station.parkEnabled = 0;
    pointSatellite(45, 10);
    parkRotator(s);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(row(16, 37, 44), "        ");
    EXPECT_DOUBLE_EQ(s.satellite.azimuth, radians(45));
}

TEST_F(TrackerParksRotator, SettingsStayWhenTheParkPositionCannotBeWritten) {
    s.station.rotatorInterface = RotatorInterface::rotDat;
    std::filesystem::create_directory(dir.path() / "ROT.DAT");
    s.rotator.flipState = 1;
    parkRotator(s);
    EXPECT_EQ(row(24, 3, 25), "Could not write ROT.DAT");
    EXPECT_EQ(s.rotator.flipState, 1);
    EXPECT_EQ(s.station.trackingStep, static_cast<float>(radians(10)));
    EXPECT_EQ(row(16, 37, 44), "(Parked)");
}

class TrackerShowsFlip : public RotatorTest {
protected:
    void pass(double aos, double maximum, double los) {
        s.pass.azimuthAtAos = static_cast<float>(radians(aos));
        s.pass.azimuthAtMaximum = static_cast<float>(radians(maximum));
        s.pass.azimuthAtLos = static_cast<float>(radians(los));
    }
    std::string flipField() const { return row(16, 37, 44); }
};

TEST_F(TrackerShowsFlip, TheDecisionIsShownOnRowSixteenAndKeptInTheFile) {
    pass(30, 340, 300);
    decideFlip(s);
    EXPECT_EQ(flipField(), "Flipped ");
    EXPECT_EQ(dir.read("KVFLIP.DAT"), " 1 \r\n");
    s.station.flipEnabled = 0;
    showFlipState(s);
    EXPECT_EQ(flipField(), "Disabled");
}

TEST_F(TrackerShowsFlip, OverheadPassKeepsTheStateAndSaysSo) {
    pass(45, 50, 225);
    s.rotator.flipState = 1;
    decideFlip(s);
    EXPECT_EQ(s.rotator.flipState, 1);
    EXPECT_EQ(row(24, 3, 50), "Could not find out best flipping. Overhead pass!");
    EXPECT_EQ(flipField(), "Flipped ");
}

TEST_F(TrackerShowsFlip, FailedWriteIsReportedAndTheStateShown) {
    std::filesystem::create_directory(dir.path() / "KVFLIP.DAT");
    s.rotator.flipState = 1;
    showFlipState(s);
    EXPECT_EQ(row(24, 3, 71), "Could not write KVFLIP.DAT (Is a directory). Retrying at next change.");
    EXPECT_EQ(flipField(), "Flipped ");
}

}  // namespace
}  // namespace rotatortest
