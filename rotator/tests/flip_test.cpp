#include "rotator/rotator.hpp"
#include "rotator/tests/rotator_fixture.hpp"

#include <filesystem>
#include <tuple>

namespace rotatortest {
namespace {

const OrbitConstants constants;

TEST(AzimuthQuadrant, BoundariesFromTheProgramsPi) {
    const double pi = constants.pi;
    EXPECT_EQ(azimuthQuadrant(constants, 0.0f), 1);
    EXPECT_EQ(azimuthQuadrant(constants, static_cast<float>(89.99 * pi / 180)), 1);
    EXPECT_EQ(azimuthQuadrant(constants, static_cast<float>(pi / 2)), 2);
    EXPECT_EQ(azimuthQuadrant(constants, static_cast<float>(pi)), 3);
    EXPECT_EQ(azimuthQuadrant(constants, static_cast<float>(269.99 * pi / 180)), 3);
    EXPECT_EQ(azimuthQuadrant(constants, static_cast<float>(359.99 * pi / 180)), 4);
    // Single precision rounds 2*pi up, past the last quadrant.
    EXPECT_EQ(azimuthQuadrant(constants, static_cast<float>(2 * pi)), 0);
    EXPECT_EQ(azimuthQuadrant(constants, -0.01f), 0);
}

TEST(FlipDecisionTable, EveryRowClass) {
    using D = FlipDecision;
    // qA, qL, qM, decision
    const std::vector<std::tuple<int, int, int, D>> cases = {
        {1, 1, 0, D::none},     {1, 2, 3, D::none},     {1, 4, 2, D::north},    {1, 4, 0, D::north},
        {1, 3, 2, D::south},    {1, 3, 4, D::north},    {1, 3, 1, D::overhead}, {1, 3, 3, D::overhead},
        {1, 3, 0, D::none},     {2, 1, 4, D::none},     {2, 2, 2, D::none},     {2, 3, 1, D::south},
        {2, 4, 3, D::south},    {2, 4, 1, D::north},    {2, 4, 2, D::overhead}, {2, 4, 4, D::overhead},
        {3, 3, 1, D::none},     {3, 4, 2, D::none},     {3, 2, 4, D::south},    {3, 1, 2, D::south},
        {3, 1, 4, D::north},    {3, 1, 1, D::overhead}, {3, 1, 3, D::overhead}, {3, 1, 0, D::none},
        {4, 3, 2, D::none},     {4, 4, 4, D::none},     {4, 1, 3, D::north},    {4, 2, 3, D::south},
        {4, 2, 1, D::north},    {4, 2, 2, D::overhead}, {4, 2, 4, D::overhead}, {4, 2, 0, D::none},
        {0, 4, 2, D::none},     {1, 0, 2, D::none},     {4, 0, 3, D::none},
    };
    for (const auto& [aos, los, maximum, expected] : cases) {
        EXPECT_EQ(flipDecision(aos, los, maximum), expected) << aos << " " << los << " " << maximum;
    }
}

class DecideFlip : public RotatorTest {
protected:
    void pass(double aos, double maximum, double los) { passAzimuths(s.pass, s.constants, aos, maximum, los); }
    std::string flipField() const { return flip.state; }
    FlipShown flip;
};

TEST_F(DecideFlip, NorthCrossingFlipsANorthStopRotator) {
    pass(30, 340, 300);
    flip = decide();
    EXPECT_EQ(s.rotator.flipState, 1);
    EXPECT_EQ(flipField(), "Flipped ");
    EXPECT_EQ(dir.read("KVFLIP.DAT"), " 1 \r\n");

    // The drive then points away from the satellite and over the top.
    s.station.rotatorInterface = RotatorInterface::wText;
    pointSatellite(30, 60);
    drive();
    EXPECT_EQ(sentText(), "W210 120\r");
}

TEST_F(DecideFlip, NorthCrossingLeavesASouthStopRotatorNormal) {
    s.station.azimuthStopNorth = 0;
    s.rotator.flipState = 1;
    pass(30, 340, 300);
    flip = decide();
    EXPECT_EQ(s.rotator.flipState, 0);
    EXPECT_EQ(flipField(), " Normal ");
    EXPECT_EQ(dir.read("KVFLIP.DAT"), " 0 \r\n");
}

TEST_F(DecideFlip, SouthCrossingFlipsOnlyASouthStopRotator) {
    pass(45, 135, 225);
    s.rotator.flipState = 1;
    flip = decide();
    EXPECT_EQ(s.rotator.flipState, 0);

    s.station.azimuthStopNorth = 0;
    flip = decide();
    EXPECT_EQ(s.rotator.flipState, 1);
    EXPECT_EQ(dir.read("KVFLIP.DAT"), " 1 \r\n");
}

TEST_F(DecideFlip, OverheadPassKeepsTheStateAndSaysSo) {
    pass(45, 50, 225);
    s.rotator.flipState = 1;
    flip = decide();
    EXPECT_EQ(s.rotator.flipState, 1);
    EXPECT_EQ(flip.message, "Could not find out best flipping. Overhead pass!");
    EXPECT_EQ(flipField(), "Flipped ");
}

TEST_F(DecideFlip, ParkingStartsEveryPassNormal) {
    s.station.parkEnabled = 1;
    s.rotator.flipState = 1;
    pass(45, 50, 225);
    flip = decide();
    EXPECT_EQ(s.rotator.flipState, 0);
    EXPECT_EQ(dir.read("KVFLIP.DAT"), " 0 \r\n");
}

TEST_F(DecideFlip, DisabledNeverFlipsAndLeavesTheFileAlone) {
    s.station.flipEnabled = 0;
    s.rotator.flipState = 1;
    pass(30, 340, 300);
    flip = decide();
    EXPECT_EQ(s.rotator.flipState, 0);
    EXPECT_EQ(flipField(), "Disabled");
    EXPECT_FALSE(dir.exists("KVFLIP.DAT"));
}

TEST_F(DecideFlip, SavedFlipCarriesIntoAPassDecidedAsNone) {
    dir.write("KVFLIP.DAT", " 1 \r\n");
    s.rotator.flipState = *readFlipState(mc.files);
    pass(45, 60, 80);
    flip = decide();
    EXPECT_EQ(s.rotator.flipState, 1);
    s.station.rotatorInterface = RotatorInterface::wText;
    pointSatellite(30, 60);
    drive();
    EXPECT_EQ(sentText(), "W210 120\r");
}

TEST_F(DecideFlip, FailedWriteIsReported) {
    std::filesystem::create_directory(dir.path() / "KVFLIP.DAT");
    s.rotator.flipState = 1;
    flip = record();
    ASSERT_TRUE(flip.flipFile.has_value());
    EXPECT_EQ(flip.flipFile->failure, "Is a directory");
    EXPECT_EQ(flipField(), "Flipped ");
    EXPECT_TRUE(flip.message.empty());
}

using LoadFlipState = RotatorTest;

TEST_F(LoadFlipState, ReadsTheSavedState) {
    dir.write("kvflip.dat", " 1 \r\n");
    const auto flipped = readFlipState(mc.files);
    ASSERT_TRUE(flipped.ok());
    EXPECT_EQ(*flipped, 1);

    dir.write("kvflip.dat", "  0");
    EXPECT_EQ(*readFlipState(mc.files), 0);
}

TEST_F(LoadFlipState, MissingFileIsToldApart) {
    const auto missing = readFlipState(mc.files);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), FileFailure::notFound);
}

TEST_F(LoadFlipState, NumbersOtherThanOneReadAsNormal) {
    for (const char* content : {" 7 \r\n", "-1\r\n", "", "yes\r\n"}) {
        dir.write("KVFLIP.DAT", content);
        const auto saved = readFlipState(mc.files);
        ASSERT_TRUE(saved.ok()) << content;
        EXPECT_EQ(*saved, 0) << content;
    }
}

}  // namespace
}  // namespace rotatortest
