#include "radio/radio.hpp"
#include "console/program_exit.hpp"
#include "radio/tests/protocol_bench.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

using Transcript = std::vector<std::string>;

const std::string parkFile = "AO-7\r\n145900\r\n435100\r\nUSB\r\nLSB\r\n0\r\n"
                             "; where the radio rests between passes\r\n"
                             "park\r\n145800\r\n; downlink\r\n435800\r\nfm\r\nCW\r\n0\r\n";
const std::string noParkFile = "AO-7\r\n145900\r\n435100\r\nUSB\r\nLSB\r\n0\r\n";

struct ParkRadioTest : ::testing::Test {
    RadioBench bench{"I"};
    RadioBench::Records& s = bench.s;

    void SetUp() override {
        s.station.radioAddress = "60";
        s.station.txRadioAddress = "70";
        s.frequencies = FrequencyRecord{145900, 435100, "USB", "LSB", "0", 0};
    }
};

TEST_F(ParkRadioTest, CodeISetsModesAndBothParkFrequencies) {
    bench.dir.write("KELVORIN.FRC", parkFile);
    parkRadio(bench.context());
    EXPECT_EQ(bench.hexTranscript(), (Transcript{
                                         "FE FE 60 E0 07 D0 FD",
                                         "FE FE 60 E0 07 00 FD",
                                         "FE FE 60 E0 06 05 FD",
                                         "FE FE 60 E0 07 D1 FD",
                                         "FE FE 60 E0 07 00 FD",
                                         "FE FE 60 E0 06 03 01 FD",
                                         "FE FE 60 E0 07 D0 FD",
                                         "FE FE 60 E0 00 00 00 80 45 01 FD",
                                         "FE FE 60 E0 07 D1 FD",
                                         "FE FE 60 E0 00 00 00 80 35 04 FD",
                                         "",
                                     }));
    EXPECT_FALSE(s.radio.parking);
    EXPECT_TRUE(bench.errors.calls.empty());
    // The record holds PARK until the next satellite is chosen.
    EXPECT_EQ(s.frequencies.uplinkKhz, 145800);
    EXPECT_EQ(s.frequencies.downlinkKhz, 435800);
    EXPECT_EQ(s.frequencies.uplinkMode, "FM");
    EXPECT_EQ(s.frequencies.noFrequencyData, 0);
}

TEST_F(ParkRadioTest, WithoutAParkRecordNothingIsSent) {
    bench.dir.write("KELVORIN.FRC", noParkFile);
    parkRadio(bench.context());
    EXPECT_TRUE(bench.port().sent.empty());
    EXPECT_EQ(s.frequencies.noFrequencyData, 1);
    EXPECT_FALSE(s.radio.parking);
    // The program is told while the radio parks, so it stays silent.
    ASSERT_EQ(bench.errors.calls.size(), 1u);
    EXPECT_EQ(bench.errors.calls[0].failure, FrequencyFailure::noRecord);
    EXPECT_TRUE(bench.errors.calls[0].parking);
}

TEST_F(ParkRadioTest, WithoutAFrequencyFileNothingIsSent) {
    parkRadio(bench.context());
    EXPECT_TRUE(bench.port().sent.empty());
    EXPECT_EQ(s.frequencies.noFrequencyData, 1);
    ASSERT_EQ(bench.errors.calls.size(), 1u);
    EXPECT_EQ(bench.errors.calls[0].failure, FrequencyFailure::fileNotFound);
    EXPECT_TRUE(bench.errors.calls[0].parking);
    EXPECT_FALSE(s.radio.parking);
}

TEST_F(ParkRadioTest, ParkingEndsWhenTheReportEndsTheProgram) {
    RadioContext ended = bench.context();
    ended.parkRecordFailed = [](FrequencyFailure) { throw ProgramExit{0}; };
    EXPECT_THROW(parkRadio(ended), ProgramExit);
    EXPECT_FALSE(s.radio.parking);
}

TEST_F(ParkRadioTest, ShutdownOfCodeI2ParksEachRadio) {
    s.station.radioType = "I2";
    bench.dir.write("KELVORIN.FRC", parkFile);
    shutdownRadio(bench.context());
    const Transcript transcript = bench.hexTranscript();
    ASSERT_EQ(transcript.size(), 11u);
    EXPECT_EQ(transcript[0], "FE FE 70 E0 07 D0 FD");
    EXPECT_EQ(transcript[2], "FE FE 70 E0 06 05 FD");
    EXPECT_EQ(transcript[3], "FE FE 60 E0 07 D0 FD");
    EXPECT_EQ(transcript[5], "FE FE 60 E0 06 03 01 FD");
    EXPECT_EQ(transcript[7], "FE FE 70 E0 00 00 00 80 45 01 FD");
    EXPECT_EQ(transcript[8], "FE FE 60 E0 07 D0 FD");
    EXPECT_EQ(transcript[9], "FE FE 60 E0 00 00 00 80 35 04 FD");
    EXPECT_FALSE(s.radio.parking);
}

TEST_F(ParkRadioTest, ShutdownOfCodeKParksWithAndWithoutARecord) {
    s.station.radioType = "K";
    bench.dir.write("KELVORIN.FRC", parkFile);
    shutdownRadio(bench.context());
    EXPECT_EQ(bench.textTranscript(), (Transcript{"MT;", "DC0;FN0;", "MD4;", "DC1;FN0;",
                                                  "MD3;DC0;FA00145800000;DC1;DC1;FA00435800000;"}));

    bench.clearTranscript();
    bench.dir.write("KELVORIN.FRC", noParkFile);
    s.frequencies = FrequencyRecord{145900, 435100, "USB", "LSB", "0", 0};
    shutdownRadio(bench.context());
    EXPECT_EQ(bench.port().sentText(), "");
    EXPECT_FALSE(s.radio.parking);
}

TEST_F(ParkRadioTest, ShutdownOfCodeAExitsAndDoesNotPark) {
    s.station.radioType = "A";
    bench.dir.write("KELVORIN.FRC", parkFile);
    shutdownRadio(bench.context());
    EXPECT_EQ(bench.port().sentText(), "EX\r");
    EXPECT_EQ(s.frequencies.uplinkKhz, 145900);
}

TEST_F(ParkRadioTest, FullPassOfCodeIWithoutUplinkCorrection) {
    s.station.uplinkCorrection = 0;
    bench.dir.write("KELVORIN.FRC", parkFile);
    setupRadio(bench.context());
    const Transcript setup = bench.hexTranscript();
    ASSERT_EQ(setup.size(), 9u);
    EXPECT_EQ(setup[7], "FE FE 60 E0 00 00 00 90 45 01 FD");

    bench.clearTranscript();
    sendFrequencyUpdate(bench.context(), 14'590'300, 43'509'000, true, true);
    sendFrequencyUpdate(bench.context(), 14'590'400, 43'508'900, true, true);
    EXPECT_EQ(bench.hexTranscript(), (Transcript{
                                         "FE FE 60 E0 07 D1 FD",
                                         "FE FE 60 E0 00 00 00 09 35 04 FD",
                                         "FE FE 60 E0 07 D1 FD",
                                         "FE FE 60 E0 00 00 90 08 35 04 FD",
                                         "",
                                     }));

    bench.clearTranscript();
    shutdownRadio(bench.context());
    EXPECT_EQ(bench.hexTranscript()[7], "FE FE 60 E0 00 00 00 80 45 01 FD");
    EXPECT_EQ(bench.hexTranscript()[9], "FE FE 60 E0 00 00 00 80 35 04 FD");
}

TEST_F(ParkRadioTest, FullPassOfCodeA) {
    s.station.radioType = "A";
    setupRadio(bench.context());
    sendFrequencyUpdate(bench.context(), 14'590'000, 43'580'000, true, true);
    sendFrequencyUpdate(bench.context(), 14'590'000, 43'580'000, true, false);
    shutdownRadio(bench.context());
    EXPECT_EQ(bench.port().sentText(), "MD2\rRF435800000\rEX\r");
}

}  // namespace
}  // namespace station
