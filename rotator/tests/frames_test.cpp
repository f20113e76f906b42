#include "rotator/frames.hpp"

#include <gtest/gtest.h>

namespace {

using namespace station;

const OrbitConstants constants;

float azimuthOf(double degrees) { return static_cast<float>(degrees * constants.radiansPerDegree); }
double elevationOf(double degrees) { return degrees * constants.radiansPerDegree; }

TEST(RotatorFrames, GFrameSplitsCountsIntoHighAndLowBytes) {
    EXPECT_EQ(gFrame({511, 56}), (std::vector<std::uint8_t>{0x47, 0x01, 0xFF, 0x00, 0x38, 0x0D}));
    EXPECT_EQ(gFrame({1023, 1023}), (std::vector<std::uint8_t>{0x47, 0x03, 0xFF, 0x03, 0xFF, 0x0D}));
    EXPECT_EQ(gFrame({0, 0}), (std::vector<std::uint8_t>{0x47, 0x00, 0x00, 0x00, 0x00, 0x0D}));
}

TEST(RotatorFrames, TextCommandsKeepTheirTemplates) {
    EXPECT_EQ(wCommand({210, 120}), "W210 120\r");
    EXPECT_EQ(wCommand({5, 0}), "W005 000\r");
    EXPECT_EQ(wCommand({45, 90}), "W045 090\r");
    EXPECT_EQ(aeCommands({5, 45}), "A\r5\rE\r45\r");
    EXPECT_EQ(aeCommands({0, 0}), "A\r0\rE\r0\r");
    EXPECT_EQ(aeCommands({359, 180}), "A\r359\rE\r180\r");
}

TEST(RotatorFrames, FileLines) {
    EXPECT_EQ(rotDatText({5, 45}), "AZ005 EL045\r\n");
    EXPECT_EQ(rotDatText({360, 90}), "AZ360 EL090\r\n");
    EXPECT_EQ(rotDatText({45, 5}), "AZ045 EL005\r\n");
    EXPECT_EQ(rotDatText({0, 0}), "AZ000 EL000\r\n");
    EXPECT_EQ(flipStateFileText(1), " 1 \r\n");
    EXPECT_EQ(flipStateFileText(0), " 0 \r\n");
}

TEST(RotatorFrames, WholeDegreesDoNotLoseAUnitToSinglePrecision) {
    EXPECT_EQ(floorKeepingWhole(209.99999), 210);
    EXPECT_EQ(floorKeepingWhole(209.9), 209);
    EXPECT_EQ(floorKeepingWhole(5.7), 5);
    EXPECT_EQ(floorKeepingWhole(0.0), 0);
    // 30 degrees turned by the program's pi in single precision lands just below 210.
    const float flipped = static_cast<float>(azimuthOf(30) + constants.pi);
    ASSERT_LT(flipped * 180.0 / constants.pi, 210.0);
    const double overTheTop = constants.pi - elevationOf(60);
    EXPECT_EQ(wholeDegreePosition(constants, flipped, overTheTop), (RawPosition{210, 120}));
    EXPECT_EQ(wholeDegreePosition(constants, azimuthOf(5.7), elevationOf(45.2)), (RawPosition{5, 45}));
}

TEST(RotatorFrames, CountsOfTheBinaryInterface) {
    // South stop: the scale starts at south, so north is half the circle.
    EXPECT_EQ(frameCounts(constants, 0, elevationOf(10), 0, 0), (RawPosition{511, 56}));
    // North stop, 450-degree rotator: 359 degrees is 287.2 degrees of its 360-degree scale.
    EXPECT_EQ(frameCounts(constants, azimuthOf(359), elevationOf(45), 1, 1), (RawPosition{816, 255}));
    EXPECT_EQ(frameCounts(constants, azimuthOf(359), 0, 1, 0).azimuth, 1021);
    // South stop past north wraps round: 270 degrees is 90 on the rotator's scale.
    EXPECT_EQ(frameCounts(constants, azimuthOf(270), 0, 0, 0).azimuth, 255);
    // Elevation spans 0..180 degrees; a park elevation over the top keeps its count.
    EXPECT_EQ(frameCounts(constants, 0, elevationOf(90), 1, 0).elevation, 511);
    EXPECT_EQ(frameCounts(constants, 0, elevationOf(120), 1, 0).elevation, 682);
    EXPECT_EQ(frameCounts(constants, 0, constants.pi, 1, 0).elevation, 1023);
}

}  // namespace
