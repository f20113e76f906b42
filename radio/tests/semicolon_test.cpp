#include "radio/protocols.hpp"
#include "radio/tests/protocol_bench.hpp"
#include "radio/transport.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

using Transcript = std::vector<std::string>;

TEST(SemicolonBuilders, FrequencyIsElevenDigitsOfHertz) {
    EXPECT_EQ(semicolonFrequencyCommand(10'000'000), "FA00100000000;");
    EXPECT_EQ(semicolonFrequencyCommand(14'590'000), "FA00145900000;");
    EXPECT_EQ(semicolonFrequencyCommand(43'580'000), "FA00435800000;");
    EXPECT_EQ(semicolonFrequencyCommand(240'000'000), "FA02400000000;");
    EXPECT_EQ(semicolonFrequencyCommand(999'999'999), "FA09999999990;");
    EXPECT_EQ(semicolonFrequencyCommand(-1), "");
}

TEST(SemicolonBuilders, ModeCommandsByPrefix) {
    EXPECT_EQ(semicolonModeCommand("FM"), "MD4;");
    EXPECT_EQ(semicolonModeCommand("FMN"), "MD4;");
    EXPECT_EQ(semicolonModeCommand("FMW"), "MD4;");
    EXPECT_EQ(semicolonModeCommand("USB"), "MD2;");
    EXPECT_EQ(semicolonModeCommand("LSB"), "MD1;");
    EXPECT_EQ(semicolonModeCommand("CW"), "MD3;");
    EXPECT_EQ(semicolonModeCommand("CWN"), "MD3;");
    EXPECT_EQ(semicolonModeCommand("AM"), "");
    EXPECT_EQ(semicolonModeCommand("F"), "");
}

struct SemicolonTest : ::testing::Test {
    RadioBench bench{"K"};
    RadioBench::Records& s = bench.s;

    void SetUp() override {
        s.frequencies.uplinkMode = "USB";
        s.frequencies.downlinkMode = "LSB";
        s.radio.txTenHz = 14'590'000;
        s.radio.rxTenHz = 43'580'000;
    }
};

TEST_F(SemicolonTest, SetupWithUplinkCorrectionSendsModesOnly) {
    setupSemicolon(bench.context());
    EXPECT_EQ(bench.textTranscript(), (Transcript{"MT;", "DC0;FN0;", "MD2;", "DC1;FN0;", "MD1;"}));
}

TEST_F(SemicolonTest, SetupWithoutUplinkCorrectionSetsTheUplinkWithoutPauses) {
    s.station.uplinkCorrection = 0;
    setupSemicolon(bench.context());
    EXPECT_EQ(bench.textTranscript(),
              (Transcript{"MT;", "DC0;FN0;", "MD2;", "DC1;FN0;", "MD1;DC0;FA00145900000;DC1;"}));

    bench.clearTranscript();
    updateSemicolon(bench.context(), 14'590'100, 43'580'000, true, false);
    EXPECT_EQ(bench.port().sentText(), "");
}

TEST_F(SemicolonTest, UnknownModeSendsNoModeCommand) {
    s.frequencies.uplinkMode = "AM";
    s.frequencies.downlinkMode = "";
    setupSemicolon(bench.context());
    EXPECT_EQ(bench.textTranscript(), (Transcript{"MT;", "DC0;FN0;", "", "DC1;FN0;", ""}));
}

TEST_F(SemicolonTest, UpdatePutsTheUplinkSideInControlOnlyForTheUplink) {
    updateSemicolon(bench.context(), 14'590'000, 43'580'000, true, false);
    EXPECT_EQ(bench.port().sentText(), "DC0;FA00145900000;DC1;");
    bench.clearTranscript();
    updateSemicolon(bench.context(), 14'590'000, 43'580'000, true, true);
    EXPECT_EQ(bench.port().sentText(), "DC0;FA00145900000;DC1;FA00435800000;");
    bench.clearTranscript();
    updateSemicolon(bench.context(), 14'590'000, 43'579'990, false, true);
    EXPECT_EQ(bench.port().sentText(), "FA00435799900;");
    EXPECT_TRUE(bench.pauseMarks.empty());
}

TEST_F(SemicolonTest, FrequencyOutsideTheRangeIsNotSentGarbled) {
    updateSemicolon(bench.context(), 999'999, 43'580'000, true, true);
    EXPECT_EQ(bench.port().sentText(), "FA00435800000;");
    EXPECT_TRUE(s.radio.outOfRangeReported);
}

}  // namespace
}  // namespace station
