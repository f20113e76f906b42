#include "radio/protocols.hpp"
#include "radio/tests/protocol_bench.hpp"
#include "radio/transport.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

TEST(RfTextBuilders, CommandsEndWithACarriageReturn) {
    EXPECT_EQ(rfTextFrequencyCommand(43'580'000), "RF435800000\r");
    EXPECT_EQ(rfTextFrequencyCommand(2'900'000), "RF29000000\r");
    // Hz beyond 32 bits stay whole.
    EXPECT_EQ(rfTextFrequencyCommand(240'000'000), "RF2400000000\r");
    EXPECT_EQ(rfTextExit, "EX\r");
}

TEST(RfTextBuilders, ModeCommandsByPrefixOrALoneCarriageReturn) {
    EXPECT_EQ(rfTextModeCommand("FM"), "MD0\r");
    EXPECT_EQ(rfTextModeCommand("FMN"), "MD0\r");
    EXPECT_EQ(rfTextModeCommand("USB"), "MD3\r");
    EXPECT_EQ(rfTextModeCommand("LSB"), "MD2\r");
    EXPECT_EQ(rfTextModeCommand("CW"), "MD4\r");
    EXPECT_EQ(rfTextModeCommand("CWN"), "MD4\r");
    EXPECT_EQ(rfTextModeCommand("AM"), "\r");
    EXPECT_EQ(rfTextModeCommand(""), "\r");
}

struct RfTextTest : ::testing::Test {
    RadioBench bench{"A"};
    RadioBench::Records& s = bench.s;

    void SetUp() override {
        s.frequencies.uplinkMode = "LSB";
        s.frequencies.downlinkMode = "USB";
        s.radio.txTenHz = 14'590'000;
        s.radio.rxTenHz = 43'580'000;
    }
};

TEST_F(RfTextTest, SetupSendsTheDownlinkModeOnly) {
    setupRfText(bench.context());
    EXPECT_EQ(bench.port().sentText(), "MD3\r");
    EXPECT_TRUE(bench.pauseMarks.empty());
}

TEST_F(RfTextTest, SetupWithAnUnknownModeSendsALoneCarriageReturn) {
    s.frequencies.downlinkMode = "SSTV";
    setupRfText(bench.context());
    EXPECT_EQ(bench.port().sentText(), "\r");
}

TEST_F(RfTextTest, UpdateSendsTheDownlinkOnlyWhenItChanged) {
    updateRfText(bench.context(), 14'590'000, 43'580'000, true, true);
    EXPECT_EQ(bench.port().sentText(), "RF435800000\r");
    bench.clearTranscript();
    updateRfText(bench.context(), 14'590'000, 43'580'000, true, false);
    EXPECT_EQ(bench.port().sentText(), "");
}

TEST_F(RfTextTest, UplinkIsNeverSentWhateverTheCorrection) {
    s.station.uplinkCorrection = 0;
    s.radio.parking = true;
    setupRfText(bench.context());
    updateRfText(bench.context(), 14'590'000, 43'580'010, true, true);
    EXPECT_EQ(bench.port().sentText(), "MD3\rRF435800100\r");
}

TEST_F(RfTextTest, ShutdownSendsExit) {
    shutdownRfText(bench.context());
    EXPECT_EQ(bench.port().sentText(), "EX\r");
}

}  // namespace
}  // namespace station
