#include "tracker/radio_control.hpp"

#include "tracker/tests/radio_bench.hpp"
#include "tracker/tests/tracker_fixture.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace station {
namespace {

constexpr double speedOfLight = 299792.0;

struct TrackerDoppler : ::testing::Test {
    TrackerRadioBench bench{"Y"};
    TrackerState& s = bench.s;

    void SetUp() override {
        s.frequencies = FrequencyRecord{145900, 435800, "USB", "LSB", "0", 0};
        s.station.dopplerThresholdHz = 10;
    }
    // One update at this range rate, with the predicted ratio equal to the true one.
    void steadyUpdate(double rangeRateKmPerS) {
        s.doppler.previousDopplerRatio = rangeRateKmPerS / speedOfLight;
        s.satellite.rangeRate = rangeRateKmPerS;
        updateDoppler(s);
    }
    std::string frequencyRow() const { return bench.mc.screen.rowText(20, 20, 46); }
};

TEST_F(TrackerDoppler, RowTwentyShowsTheCorrectedFrequenciesAndKeepsAFieldThatDidNotMove) {
    s.station.radioPort = 0;
    steadyUpdate(0);
    EXPECT_EQ(frequencyRow(), "  145900.0         435800.0");
    bench.mc.screen.printAt(20, 37, "----------");
    s.frequencies.uplinkKhz = 145900.5;
    steadyUpdate(0);
    EXPECT_EQ(frequencyRow(), "  145900.5       ----------");
}

TEST_F(TrackerDoppler, WithoutAFrequencyRecordRowTwentyShowsTheShiftInPartsPerMillion) {
    s.frequencies.noFrequencyData = 1;
    // ppm = 5.47: floored to 5.4, shown as -5.4 for the uplink and +5.4 for the downlink.
    steadyUpdate(5.47e-6 * speedOfLight);
    EXPECT_EQ(frequencyRow(), " -5.4  PPM        +5.4  PPM");
    steadyUpdate(-5.47e-6 * speedOfLight);
    EXPECT_EQ(frequencyRow(), " +5.5  PPM        -5.5  PPM");
    steadyUpdate(0);
    EXPECT_EQ(frequencyRow(), " +0.0  PPM        +0.0  PPM");
    EXPECT_TRUE(bench.port().sent.empty());
}

TEST_F(TrackerDoppler, AFailedRadioDatIsReportedAndTheFrequenciesShown) {
    s.station.radioType = "D";
    std::filesystem::create_directory(bench.dir.path() / "radio.dat");
    steadyUpdate(0);
    EXPECT_EQ(bench.mc.screen.rowText(24, 3, 70),
              "Could not write radio.dat (Is a directory). Retrying at next change.");
    EXPECT_EQ(frequencyRow(), "  145900.0         435800.0");
}

TEST_F(TrackerDoppler, TheRadiosMessagesReachTheMessageLine) {
    s.frequencies.downlinkKhz = 5000;  // 5 MHz: below what the five-byte field carries
    setupRadio(s);
    EXPECT_EQ(bench.mc.screen.rowText(24), std::string(80, ' '));
    steadyUpdate(0);
    EXPECT_EQ(bench.mc.screen.rowText(24, 3, 49), "Frequency out of range for the radio: not sent.");
}

const std::string noParkFile = "AO-7\r\n145900\r\n435100\r\nUSB\r\nLSB\r\n0\r\n";

class TrackerParksRadio : public trackertest::TrackerTest {};

TEST_F(TrackerParksRadio, AMissingParkRecordPassesSilentlyAndTheDesignationStays) {
    loadStation({{18, "I"}, {19, "1"}, {21, "60"}});
    testing::openLink(s.radioLink, mc.serialPorts, 1);
    dir.write("KELVORIN.FRC", noParkFile);
    s.selection = {"AO-7", "AO-7"};
    s.frequencies = FrequencyRecord{145900, 435100, "USB", "LSB", "0", 0};
    mc.sleeper.recordSleeps = true;
    shutdownRadio(s);
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-7");
    EXPECT_EQ(s.frequencies.noFrequencyData, 1);
    EXPECT_FALSE(s.radio.parking);
    EXPECT_TRUE(mc.serialPorts.port(1).sent.empty());
    // The failure's pause, with nothing shown.
    EXPECT_EQ(mc.sleeper.sleeps, std::vector<int>{2000});
    EXPECT_EQ(messageLine(), std::string(78, ' '));
}

TEST_F(TrackerParksRadio, TheParkRecordIsSentAndTheDesignationStays) {
    loadStation({{18, "K"}, {19, "1"}});
    testing::openLink(s.radioLink, mc.serialPorts, 1);
    dir.write("KELVORIN.FRC", noParkFile + "PARK\r\n145800\r\n435800\r\nFM\r\nCW\r\n0\r\n");
    s.selection = {"AO-7", "AO-7"};
    s.frequencies = FrequencyRecord{145900, 435100, "USB", "LSB", "0", 0};
    shutdownRadio(s);
    EXPECT_EQ(mc.serialPorts.port(1).sentText(),
              "MT;DC0;FN0;MD4;DC1;FN0;MD3;DC0;FA00145800000;DC1;DC1;FA00435800000;");
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-7");
    EXPECT_EQ(s.frequencies.uplinkKhz, 145800);
    EXPECT_FALSE(s.radio.parking);
}

}  // namespace
}  // namespace station
