#include "rotator/rotator.hpp"
#include "rotator/tests/rotator_fixture.hpp"

namespace rotatortest {
namespace {

TEST(PositionCommand, TwoDecimalsWithoutTheLocale) {
    EXPECT_EQ(positionCommand(0, 0), "P 0.00 0.00");
    EXPECT_EQ(positionCommand(359.994, 90), "P 359.99 90.00");
    EXPECT_EQ(positionCommand(123.456, 12.3449), "P 123.46 12.34");
    EXPECT_EQ(positionCommand(449.5, 180), "P 449.50 180.00");
}

// Interface 4 on the scripted daemon (the memory port answers every line): the position the
// drive computes, as interface 1 would send it but in decimals, shown and sent alike.
class DaemonDrive : public RotatorTest {
protected:
    DaemonDrive() {
        s.station.rotatorInterface = RotatorInterface::daemon;
        mc.serialPorts.port(1).answer = [this](const std::string& line) {
            lines.push_back(line);
            return line == "P 180.00 120.00" ? std::string("RPRT -1\n") : std::string("RPRT 0\n");
        };
    }
    std::vector<std::string> lines;
};

TEST_F(DaemonDrive, SendsTheShownPositionOnlyWhenItChanged) {
    s.station.trackingStep = static_cast<float>(radians(1));
    pointSatellite(123.456, 12.3449);
    drive();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "P " + shown.azimuth.substr(shown.azimuth.find_first_not_of(' ')) + " " +
                            shown.elevation.substr(shown.elevation.find_first_not_of(' ')));
    pointSatellite(123.5, 12.4);
    drive();
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(mc.serialPorts.port(1).waiting(), 0);
}

TEST_F(DaemonDrive, FlipAndStopGuardAsInterfaceOneSendsThem) {
    s.rotator.flipState = 1;
    pointSatellite(30, 60);
    drive();
    EXPECT_EQ(lines, (std::vector<std::string>{"P 210.00 120.00"}));
    EXPECT_EQ(s.rotator.rawAzimuth, 210);

    s.rotator = RotatorDrive{};
    s.rotator.flipState = 1;
    s.station.trackingStep = static_cast<float>(radians(10));
    s.rotator.azimuthCommand = static_cast<float>(radians(178));
    s.rotator.elevationCommand = radians(30);
    pointSatellite(181, 30);
    drive();
    EXPECT_EQ(lines.back(), "P 0.10 150.00");
}

TEST_F(DaemonDrive, ARefusedParkWaitsToBeShownOnce) {
    s.station.parkEnabled = 1;
    s.station.parkAzimuth = static_cast<float>(radians(180));
    s.station.parkElevation = radians(120);
    park();
    EXPECT_EQ(lines, (std::vector<std::string>{"P 180.00 120.00"}));
    EXPECT_EQ(s.rotator.refusalToShow, "Rotator daemon refused P 180.00 120.00: RPRT -1");
    s.rotator.refusalToShow.clear();
    forgetSentPosition(s.rotator);
    park();
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(s.rotator.refusalToShow, "");
}

TEST_F(DaemonDrive, NeedsNoPortNumberAndWithoutALinkSendsNothing) {
    s.station.rotatorPort = 0;
    pointSatellite(100, 20);
    drive();
    EXPECT_EQ(lines, (std::vector<std::string>{"P 100.00 20.00"}));
    s.rotatorLink.reset();
    pointSatellite(110, 20);
    drive();
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(shown.azimuth, " 110.00");
}

TEST_F(DaemonDrive, CalibrationSendsTheTypedDegrees) {
    RotatorContext rotator = context();
    EXPECT_EQ(sendCalibratedPosition(rotator, {450, 180}, {450, 180}), std::nullopt);
    EXPECT_EQ(lines, (std::vector<std::string>{"P 450.00 180.00"}));
}

}  // namespace
}  // namespace rotatortest
