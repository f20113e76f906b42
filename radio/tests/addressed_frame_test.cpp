#include "radio/protocols.hpp"
#include "radio/tests/protocol_bench.hpp"
#include "radio/transport.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

using Transcript = std::vector<std::string>;

TEST(AddressedFrameBuilders, HeaderSelectsAndFrameEnd) {
    EXPECT_EQ(addressedFrameHeader("60"), "FEFE60E0");
    EXPECT_EQ(spacedHexOf(bandSelectFrame("FEFE60E0", bandD0)), "FE FE 60 E0 07 D0 FD");
    EXPECT_EQ(spacedHexOf(bandSelectFrame("FEFE60E0", bandD1)), "FE FE 60 E0 07 D1 FD");
    EXPECT_EQ(spacedHexOf(vfoSelectFrame("FEFE60E0")), "FE FE 60 E0 07 00 FD");
    EXPECT_EQ(modeFrameEndFor(0), "FD");
    EXPECT_EQ(modeFrameEndFor(1), "01FD");
    EXPECT_EQ(modeFrameEndFor(2), "02FD");
    EXPECT_EQ(modeFrameEndFor(3), "03FD");
    EXPECT_EQ(modeFrameEndFor(4), "FD");
    EXPECT_EQ(modeFrameEndFor(-1), "FD");
}

TEST(AddressedFrameBuilders, ModeBytesByPrefixInTableOrder) {
    const std::string header = addressedFrameHeader("5C");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "FMW", "FD")), "FE FE 5C E0 06 06 FD");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "FM", "FD")), "FE FE 5C E0 06 05 FD");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "FMN", "FD")), "FE FE 5C E0 06 05 FD");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "USB", "FD")), "FE FE 5C E0 06 01 FD");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "LSB", "FD")), "FE FE 5C E0 06 00 FD");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "CWN", "FD")), "FE FE 5C E0 06 03 02 FD");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "CW", "FD")), "FE FE 5C E0 06 03 01 FD");
    EXPECT_EQ(modeFrame(header, "AM", "FD"), "");
    EXPECT_EQ(modeFrame(header, "", "FD"), "");
}

TEST(AddressedFrameBuilders, FilterByteFollowsTheModeBytes) {
    const std::string header = addressedFrameHeader("A4");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "USB", modeFrameEndFor(2))), "FE FE A4 E0 06 01 02 FD");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "CW", modeFrameEndFor(2))), "FE FE A4 E0 06 03 01 02 FD");
    EXPECT_EQ(spacedHexOf(modeFrame(header, "FM", modeFrameEndFor(3))), "FE FE A4 E0 06 05 03 FD");
}

TEST(AddressedFrameBuilders, FrequencyIsPackedDecimalLeastSignificantFirst) {
    const std::string header = addressedFrameHeader("60");
    EXPECT_EQ(spacedHexOf(frequencyFrame(header, 43'580'000)), "FE FE 60 E0 00 00 00 80 35 04 FD");
    EXPECT_EQ(spacedHexOf(frequencyFrame(header, 14'590'000)), "FE FE 60 E0 00 00 00 90 45 01 FD");
    EXPECT_EQ(spacedHexOf(frequencyFrame(header, 126'800'000)), "FE FE 60 E0 00 00 00 00 68 12 FD");
    EXPECT_EQ(spacedHexOf(frequencyFrame(header, 10'000'000)), "FE FE 60 E0 00 00 00 00 00 01 FD");
    // Every digit in its own place, and the top of the range.
    EXPECT_EQ(spacedHexOf(frequencyFrame(header, 123'456'789)), "FE FE 60 E0 00 90 78 56 34 12 FD");
    EXPECT_EQ(spacedHexOf(frequencyFrame(header, 999'999'999)), "FE FE 60 E0 00 90 99 99 99 99 FD");
}

TEST(AddressedFrameBuilders, FrequencyBeyondTenDigitsOfHertzGivesNoFrame) {
    const std::string header = addressedFrameHeader("60");
    EXPECT_EQ(frequencyFrame(header, 1'000'000'000), "");
    EXPECT_EQ(frequencyFrame(header, -1), "");
}

struct AddressedFrameTest : ::testing::Test {
    RadioBench bench{"I"};
    RadioBench::Records& s = bench.s;

    void SetUp() override {
        s.station.radioAddress = "60";
        s.station.txRadioAddress = "70";
        s.frequencies.uplinkMode = "USB";
        s.frequencies.downlinkMode = "LSB";
        s.radio.txTenHz = 14'590'000;
        s.radio.rxTenHz = 43'580'000;
    }
};

TEST_F(AddressedFrameTest, CodeISetupSelectsBothBandsAndModesWithPauses) {
    setupAddressedFrame(bench.context());
    EXPECT_EQ(s.radio.frameHeader, "FEFE60E0");
    EXPECT_EQ(s.radio.modeFrameEnd, "FD");
    EXPECT_EQ(bench.hexTranscript(), (Transcript{
                                         "FE FE 60 E0 07 D0 FD",
                                         "FE FE 60 E0 07 00 FD",
                                         "FE FE 60 E0 06 01 FD",
                                         "FE FE 60 E0 07 D1 FD",
                                         "FE FE 60 E0 07 00 FD",
                                         "FE FE 60 E0 06 00 FD",
                                         "",
                                     }));
}

TEST_F(AddressedFrameTest, CodeISetupWithoutUplinkCorrectionSetsTheUplinkOnce) {
    s.station.uplinkCorrection = 0;
    setupAddressedFrame(bench.context());
    const Transcript transcript = bench.hexTranscript();
    ASSERT_EQ(transcript.size(), 9u);
    EXPECT_EQ(transcript[6], "FE FE 60 E0 07 D0 FD");
    EXPECT_EQ(transcript[7], "FE FE 60 E0 00 00 00 90 45 01 FD");
    EXPECT_EQ(transcript[8], "");

    bench.clearTranscript();
    updateAddressedFrame(bench.context(), 14'590'100, 43'579'000, true, false);
    EXPECT_TRUE(bench.port().sent.empty());
    updateAddressedFrame(bench.context(), 14'590'200, 43'578'000, true, true);
    EXPECT_EQ(bench.hexTranscript(), (Transcript{
                                         "FE FE 60 E0 07 D1 FD",
                                         "FE FE 60 E0 00 00 00 78 35 04 FD",
                                         "",
                                     }));
}

TEST_F(AddressedFrameTest, ASwitchOtherThanOneAlsoSendsTheUplinkUnchangedOnce) {
    s.station.uplinkCorrection = 2;
    setupAddressedFrame(bench.context());
    EXPECT_EQ(bench.hexTranscript()[7], "FE FE 60 E0 00 00 00 90 45 01 FD");
    bench.clearTranscript();
    updateAddressedFrame(bench.context(), 14'590'100, 43'580'000, true, false);
    EXPECT_TRUE(bench.port().sent.empty());
}

TEST_F(AddressedFrameTest, FilterOptionRebuiltAtEverySetup) {
    s.station.filterOption = 2;
    s.frequencies.uplinkMode = "CWN";
    setupAddressedFrame(bench.context());
    EXPECT_EQ(s.radio.modeFrameEnd, "02FD");
    EXPECT_EQ(bench.hexTranscript()[2], "FE FE 60 E0 06 03 02 02 FD");
    EXPECT_EQ(bench.hexTranscript()[5], "FE FE 60 E0 06 00 02 FD");

    s.station.filterOption = 0;
    s.station.radioAddress = "62";
    bench.clearTranscript();
    setupAddressedFrame(bench.context());
    EXPECT_EQ(s.radio.frameHeader, "FEFE62E0");
    EXPECT_EQ(s.radio.modeFrameEnd, "FD");
    EXPECT_EQ(bench.hexTranscript()[2], "FE FE 62 E0 06 03 02 FD");
}

TEST_F(AddressedFrameTest, UnknownModeSendsNoModeFrameButKeepsThePause) {
    s.frequencies.uplinkMode = "AM";
    setupAddressedFrame(bench.context());
    const Transcript transcript = bench.hexTranscript();
    ASSERT_EQ(transcript.size(), 7u);
    EXPECT_EQ(transcript[2], "");
    EXPECT_EQ(transcript[5], "FE FE 60 E0 06 00 FD");
}

TEST_F(AddressedFrameTest, CodeIUpdateSendsUplinkOnD0ThenDownlinkOnD1) {
    setupAddressedFrame(bench.context());
    bench.clearTranscript();
    updateAddressedFrame(bench.context(), 14'590'000, 43'580'000, true, true);
    EXPECT_EQ(bench.hexTranscript(), (Transcript{
                                         "FE FE 60 E0 07 D0 FD",
                                         "FE FE 60 E0 00 00 00 90 45 01 FD",
                                         "FE FE 60 E0 07 D1 FD",
                                         "FE FE 60 E0 00 00 00 80 35 04 FD",
                                         "",
                                     }));

    bench.clearTranscript();
    updateAddressedFrame(bench.context(), 14'590'000, 43'580'000, false, false);
    EXPECT_TRUE(bench.port().sent.empty());
    EXPECT_TRUE(bench.pauseMarks.empty());
}

TEST_F(AddressedFrameTest, UpdateOutsideTheFrameRangeSendsNothingAndSaysSoOnce) {
    setupAddressedFrame(bench.context());
    bench.clearTranscript();
    updateAddressedFrame(bench.context(), 14'590'000, 500'000, false, true);
    EXPECT_TRUE(bench.port().sent.empty());
    EXPECT_TRUE(s.radio.outOfRangeReported);
    EXPECT_NE(bench.mc.screen.rowText(24, 3, 79).find_first_not_of(' '), std::string::npos);
    // The uplink still goes out when only the downlink is unusable.
    updateAddressedFrame(bench.context(), 14'590'000, 1'000'000'000, true, true);
    EXPECT_EQ(bench.hexTranscript(), (Transcript{
                                         "FE FE 60 E0 07 D0 FD",
                                         "FE FE 60 E0 00 00 00 90 45 01 FD",
                                         "",
                                     }));
}

struct TwoRadioFrameTest : AddressedFrameTest {
    void SetUp() override {
        AddressedFrameTest::SetUp();
        s.station.radioType = "I2";
    }
};

TEST_F(TwoRadioFrameTest, SetupWorksBand0OfTheUplinkRadioThenOfTheDownlinkRadio) {
    s.station.filterOption = 1;
    setupAddressedFrame(bench.context());
    EXPECT_EQ(s.radio.frameHeader, "FEFE60E0");
    EXPECT_EQ(s.radio.uplinkFrameHeader, "FEFE70E0");
    EXPECT_EQ(bench.hexTranscript(), (Transcript{
                                         "FE FE 70 E0 07 D0 FD",
                                         "FE FE 70 E0 07 00 FD",
                                         "FE FE 70 E0 06 01 01 FD",
                                         "FE FE 60 E0 07 D0 FD",
                                         "FE FE 60 E0 07 00 FD",
                                         "FE FE 60 E0 06 00 01 FD",
                                         "",
                                     }));
}

TEST_F(TwoRadioFrameTest, UpdateSendsEachLinkToItsRadio) {
    setupAddressedFrame(bench.context());
    bench.clearTranscript();
    updateAddressedFrame(bench.context(), 126'800'000, 43'580'000, true, true);
    EXPECT_EQ(bench.hexTranscript(), (Transcript{
                                         "FE FE 70 E0 07 D0 FD",
                                         "FE FE 70 E0 00 00 00 00 68 12 FD",
                                         "FE FE 60 E0 07 D0 FD",
                                         "FE FE 60 E0 00 00 00 80 35 04 FD",
                                         "",
                                     }));
}

TEST_F(TwoRadioFrameTest, WithoutUplinkCorrectionTheUplinkRadioIsSetOnceAtSetup) {
    s.station.uplinkCorrection = 0;
    setupAddressedFrame(bench.context());
    EXPECT_EQ(bench.hexTranscript()[7], "FE FE 70 E0 00 00 00 90 45 01 FD");
    bench.clearTranscript();
    updateAddressedFrame(bench.context(), 14'591'000, 43'580'000, true, false);
    EXPECT_TRUE(bench.port().sent.empty());
}

}  // namespace
}  // namespace station
