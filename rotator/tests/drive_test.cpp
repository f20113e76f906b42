#include "rotator/rotator.hpp"
#include "rotator/tests/rotator_fixture.hpp"

#include <filesystem>

namespace rotatortest {
namespace {

class DriveRotator : public RotatorTest {
protected:
    DriveRotator() { s.station.rotatorInterface = RotatorInterface::wText; }
    void stepDegrees(double step) { s.station.trackingStep = static_cast<float>(radians(step)); }
    std::string shownAzimuth() const { return shown.azimuth; }
    std::string shownElevation() const { return shown.elevation; }
};

TEST_F(DriveRotator, StepHoldsWithinHalfAStepThenLeadsTheSatellite) {
    stepDegrees(10);
    s.rotator.azimuthCommand = static_cast<float>(radians(100));
    s.rotator.elevationCommand = radians(20);
    const float heldAzimuth = s.rotator.azimuthCommand;

    pointSatellite(105.2, 25.2);
    drive();
    EXPECT_EQ(s.rotator.azimuthCommand, heldAzimuth);
    EXPECT_EQ(s.rotator.elevationCommand, radians(20));
    EXPECT_EQ(sentText(), "W100 020\r");

    pointSatellite(105.3, 25.3);
    drive();
    // Tolerances: the azimuth command is single precision, and so is the step in both.
    EXPECT_NEAR(degrees(s.rotator.azimuthCommand), 105.3 + 5 / 1.05, 1e-4);
    EXPECT_NEAR(degrees(s.rotator.elevationCommand), 25.3 + 5 / 1.05, 1e-6);
    EXPECT_EQ(shownAzimuth(), " 110.06");
    EXPECT_EQ(shownElevation(), "  30.06");

    // Going the other way, the command lands on the other side of the satellite.
    pointSatellite(104.7, 24.7);
    drive();
    EXPECT_NEAR(degrees(s.rotator.azimuthCommand), 104.7 - 5 / 1.05, 1e-4);
    EXPECT_EQ(sentText(), "W100 020\rW110 030\rW099 019\r");
}

TEST_F(DriveRotator, NothingIsSentWhileThePositionIsUnchanged) {
    stepDegrees(10);
    pointSatellite(200, 30);
    drive();
    const auto first = sentText();
    EXPECT_EQ(first, "W204 034\r");
    pointSatellite(201, 31);
    drive();
    drive();
    EXPECT_EQ(sentText(), first);
    EXPECT_EQ(shownAzimuth(), " 204.76");
}

TEST_F(DriveRotator, NorthStopGuardPutsTheAntennaJustAcrossNorth) {
    stepDegrees(10);
    s.rotator.azimuthCommand = static_cast<float>(radians(357.26));
    s.rotator.elevationCommand = radians(10);
    pointSatellite(1, 10);
    drive();
    EXPECT_NEAR(degrees(s.rotator.azimuthCommand), -3.76, 0.01);
    EXPECT_EQ(shownAzimuth(), "   0.10");
    EXPECT_EQ(sentText(), "W000 010\r");

    // And the other way: a satellite just west of north with the command still east of it.
    s.rotator.azimuthCommand = static_cast<float>(radians(2));
    pointSatellite(359, 10);
    drive();
    EXPECT_EQ(shownAzimuth(), " 359.90");
}

TEST_F(DriveRotator, SouthStopGuardPutsTheAntennaJustAcrossSouth) {
    s.station.azimuthStopNorth = 0;
    stepDegrees(10);
    s.rotator.azimuthCommand = static_cast<float>(radians(178));
    pointSatellite(181, 10);
    drive();
    EXPECT_EQ(shownAzimuth(), " 180.10");
    EXPECT_NEAR(degrees(s.rotator.azimuthCommand), 178, 1e-4);

    s.rotator.azimuthCommand = static_cast<float>(radians(182));
    pointSatellite(179, 10);
    drive();
    EXPECT_EQ(shownAzimuth(), " 179.90");

    // North is no stop for this rotator: the command wraps and is left where it lands.
    s.rotator.azimuthCommand = static_cast<float>(radians(358));
    pointSatellite(1, 10);
    drive();
    EXPECT_EQ(shownAzimuth(), " 356.24");
}

TEST_F(DriveRotator, FlippedNorthStopRotatorGuardsSouthInSatelliteTerms) {
    s.rotator.flipState = 1;
    stepDegrees(10);
    s.rotator.azimuthCommand = static_cast<float>(radians(178));
    s.rotator.elevationCommand = radians(30);
    pointSatellite(181, 30);
    drive();
    EXPECT_EQ(shownAzimuth(), "   0.10");
    EXPECT_EQ(shownElevation(), " 150.00");
    EXPECT_EQ(sentText(), "W000 150\r");
}

TEST_F(DriveRotator, FlippedWCommandForAzimuth30Elevation60) {
    s.rotator.flipState = 1;
    pointSatellite(30, 60);
    drive();
    EXPECT_EQ(sentText(), "W210 120\r");
    EXPECT_EQ(s.rotator.rawAzimuth, 210);
    EXPECT_EQ(s.rotator.rawElevation, 120);
    EXPECT_EQ(shownAzimuth(), " 210.00");
    EXPECT_EQ(shownElevation(), " 120.00");
}

TEST_F(DriveRotator, ElevationLimits) {
    s.station.rotatorInterface = RotatorInterface::aeText;
    pointSatellite(100, -3);
    drive();
    EXPECT_EQ(sentText(), "A\r100\rE\r0\r");
    EXPECT_EQ(shownElevation(), "   0.00");

    pointSatellite(100, 120);
    drive();
    EXPECT_EQ(shownElevation(), "  90.00");
    EXPECT_EQ(sentText(), "A\r100\rE\r0\rA\r100\rE\r90\r");
}

TEST_F(DriveRotator, BinaryFrameOnTheRotatorPort) {
    s.station.rotatorInterface = RotatorInterface::gFrame;
    s.station.azimuthStopNorth = 0;
    pointSatellite(0, 10);
    drive();
    EXPECT_EQ(sent(), (std::vector<std::uint8_t>{0x47, 0x01, 0xFF, 0x00, 0x38, 0x0D}));
    EXPECT_EQ(s.rotator.rawAzimuth, 511);

    sent().clear();
    s.station.azimuthStopNorth = 1;
    s.station.rotator450 = 1;
    pointSatellite(359, 45);
    drive();
    EXPECT_EQ(sent(), (std::vector<std::uint8_t>{0x47, 0x03, 0x30, 0x00, 0xFF, 0x0D}));
    EXPECT_EQ(s.rotator.rawAzimuth, 816);
}

TEST_F(DriveRotator, RotatorFileNeedsNoPortAndIsRewrittenOnlyOnChange) {
    s.station.rotatorInterface = RotatorInterface::rotDat;
    s.station.rotatorPort = 0;
    s.rotatorLink.reset();
    pointSatellite(5.7, 45.2);
    drive();
    EXPECT_EQ(dir.read("ROT.DAT"), "AZ005 EL045\r\n");

    std::filesystem::remove(dir.path() / "ROT.DAT");
    drive();
    EXPECT_FALSE(dir.exists("ROT.DAT"));

    pointSatellite(5.8, 45.2);
    drive();
    EXPECT_EQ(dir.read("ROT.DAT"), "AZ005 EL045\r\n");
    ASSERT_TRUE(shown.rotatorFile.has_value());
    EXPECT_TRUE(*shown.rotatorFile);
}

TEST_F(DriveRotator, RotatorFileFailureIsReported) {
    s.station.rotatorInterface = RotatorInterface::rotDat;
    std::filesystem::create_directory(dir.path() / "ROT.DAT");
    pointSatellite(5.7, 45.2);
    drive();
    ASSERT_TRUE(shown.rotatorFile.has_value());
    EXPECT_EQ(shown.rotatorFile->failure, "Is a directory");
    EXPECT_EQ(shownAzimuth(), "   5.70");
}

TEST_F(DriveRotator, WithoutAPortPositionsAreShownButNotSent) {
    s.station.rotatorPort = 0;
    pointSatellite(123.45, 12.5);
    drive();
    EXPECT_EQ(shownAzimuth(), " 123.45");
    EXPECT_EQ(shownElevation(), "  12.50");
    EXPECT_TRUE(sent().empty());

    // A port number without an open link sends nothing either.
    s.station.rotatorPort = 1;
    s.rotatorLink.reset();
    pointSatellite(124, 12.5);
    drive();
    EXPECT_TRUE(sent().empty());
}

TEST_F(DriveRotator, AnUnknownInterfaceSendsNothing) {
    s.station.rotatorInterface = static_cast<RotatorInterface>(5);
    pointSatellite(10, 10);
    drive();
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(dir.exists("ROT.DAT"));
}

TEST_F(DriveRotator, FirstCallAtExactlyZeroSendsNothing) {
    pointSatellite(0, 0);
    drive();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(shownAzimuth(), "   0.00");
}

class ParkRotator : public RotatorTest {
protected:
    ParkRotator() { parkOverTheTop(s.station, s.constants); }
};

TEST_F(ParkRotator, GoesStraightToAParkElevationOverTheTopAndSendsOnce) {
    s.rotator.flipState = 1;
    park();
    const auto parked = park();
    EXPECT_EQ(sentText(), "W180 120\r");
    ASSERT_TRUE(parked.has_value());
    EXPECT_EQ(parked->elevation, " 120.00");
    EXPECT_EQ(parked->azimuth, " 180.00");
    EXPECT_EQ(s.station.trackingStep, static_cast<float>(radians(10)));
    EXPECT_EQ(s.rotator.flipState, 1);
}

TEST_F(ParkRotator, DisabledDoesNothing) {
    s.station.parkEnabled = 0;
    EXPECT_EQ(park(), std::nullopt);
    EXPECT_TRUE(sent().empty());
}

TEST_F(ParkRotator, AFailedRotatorFileIsReportedAndChangesNoSetting) {
    s.station.rotatorInterface = RotatorInterface::rotDat;
    std::filesystem::create_directory(dir.path() / "ROT.DAT");
    s.rotator.flipState = 1;
    const auto parked = park();
    ASSERT_TRUE(parked.has_value());
    ASSERT_TRUE(parked->rotatorFile.has_value());
    EXPECT_FALSE(*parked->rotatorFile);
    EXPECT_EQ(s.rotator.flipState, 1);
    EXPECT_EQ(s.station.trackingStep, static_cast<float>(radians(10)));
}

}  // namespace
}  // namespace rotatortest
