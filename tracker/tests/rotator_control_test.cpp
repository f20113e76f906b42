// What the tracker adds to the rotator's drive, park and flip decision (rotator/tests): the rows
// it shows them on and the message line.
#include "tracker/rotator_control.hpp"
#include "tracker/tests/rotator_fixture.hpp"

#include <filesystem>

namespace rotatortest {
namespace {

class TrackerRotatorRows : public RotatorTest {
protected:
    TrackerRotatorRows() { s.station.rotatorInterface = RotatorInterface::wText; }
    std::string flipField() const { return row(16, 37, 44); }
};

TEST_F(TrackerRotatorRows, RowsSeventeenAndEighteenShowThePositionSent) {
    s.rotator.flipState = 1;
    pointSatellite(30, 60);
    driveRotator(s);
    EXPECT_EQ(row(17, 37, 43), " 210.00");
    EXPECT_EQ(row(18, 37, 43), " 120.00");
}

TEST_F(TrackerRotatorRows, RotatorFileFailureIsReportedAndThePositionShown) {
    s.station.rotatorInterface = RotatorInterface::rotDat;
    std::filesystem::create_directory(dir.path() / "ROT.DAT");
    pointSatellite(5.7, 45.2);
    driveRotator(s);
    EXPECT_EQ(row(24, 3, 68), "Could not write ROT.DAT (Is a directory). Retrying at next change.");
    EXPECT_EQ(row(17, 37, 43), "   5.70");
}

TEST_F(TrackerRotatorRows, AParkIsShownAndLeavesTheSatellitesPosition) {
    parkOverTheTop(s.station, s.constants);
    pointSatellite(45, 10);
    parkRotator(s);
    EXPECT_EQ(flipField(), "(Parked)");
    EXPECT_EQ(row(17, 37, 43), " 180.00");
    EXPECT_EQ(row(18, 37, 43), " 120.00");
    // The park goes to its own target: the satellite's position stays as it was computed.
    EXPECT_DOUBLE_EQ(s.satellite.azimuth, radians(45));
    EXPECT_DOUBLE_EQ(s.satellite.elevation, radians(10));
}

TEST_F(TrackerRotatorRows, AParkPositionThatCannotBeWrittenIsStillShown) {
    parkOverTheTop(s.station, s.constants);
    s.station.rotatorInterface = RotatorInterface::rotDat;
    std::filesystem::create_directory(dir.path() / "ROT.DAT");
    s.rotator.flipState = 1;
    parkRotator(s);
    EXPECT_EQ(row(24, 3, 25), "Could not write ROT.DAT");
    EXPECT_EQ(flipField(), "(Parked)");
}

TEST_F(TrackerRotatorRows, NoParkShowsNothing) {
    parkOverTheTop(s.station, s.constants);
    s.station.parkEnabled = 0;
    pointSatellite(45, 10);
    parkRotator(s);
    EXPECT_EQ(flipField(), "        ");
    EXPECT_DOUBLE_EQ(s.satellite.azimuth, radians(45));
}

TEST_F(TrackerRotatorRows, TheFlipDecisionIsShownOnRowSixteen) {
    passAzimuths(s.pass, s.constants, 30, 340, 300);
    decideFlip(s);
    EXPECT_EQ(flipField(), "Flipped ");
    s.station.flipEnabled = 0;
    showFlipState(s);
    EXPECT_EQ(flipField(), "Disabled");

    s.station.flipEnabled = 1;
    s.rotator.flipState = 1;
    passAzimuths(s.pass, s.constants, 45, 50, 225);
    decideFlip(s);
    EXPECT_EQ(row(24, 3, 50), "Could not find out best flipping. Overhead pass!");
    EXPECT_EQ(flipField(), "Flipped ");
}

TEST_F(TrackerRotatorRows, FailedFlipFileIsReportedAndTheStateShown) {
    std::filesystem::create_directory(dir.path() / "KVFLIP.DAT");
    s.rotator.flipState = 1;
    showFlipState(s);
    EXPECT_EQ(row(24, 3, 71), "Could not write KVFLIP.DAT (Is a directory). Retrying at next change.");
    EXPECT_EQ(flipField(), "Flipped ");
}

}  // namespace
}  // namespace rotatortest
