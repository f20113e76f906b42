#include "radio/doppler.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "radio/radio.hpp"
#include "radio/tests/protocol_bench.hpp"

namespace station {
namespace {

constexpr double speedOfLight = 299792.0;

struct DopplerBench : RadioBench {
    explicit DopplerBench(const std::string& code, double upKhz = 145900, double downKhz = 435800)
        : RadioBench(code) {
        s.frequencies.uplinkKhz = upKhz;
        s.frequencies.downlinkKhz = downKhz;
        s.frequencies.uplinkMode = "USB";
        s.frequencies.downlinkMode = "LSB";
        s.frequencies.toneCode = "0";
        s.station.dopplerThresholdHz = 10;
    }
    // One update at this range rate as the tracker runs it once a second: the correction, the
    // texts it shows (a field keeps its text while its frequency has not moved), the sending.
    void update(double rangeRateKmPerS) {
        last = correctDoppler(context(), rangeRateKmPerS);
        if (!last.txText.empty()) {
            shownTx = last.txText;
        }
        if (!last.rxText.empty()) {
            shownRx = last.rxText;
        }
        written = sendDoppler(context(), last);
    }
    // One update at this range rate, with the predicted ratio equal to the true one.
    void steadyUpdate(double rangeRateKmPerS) {
        s.doppler.previousDopplerRatio = rangeRateKmPerS / speedOfLight;
        update(rangeRateKmPerS);
    }
    std::string txShown() const { return shownTx; }
    std::string rxShown() const { return shownRx; }

    DopplerUpdate last;
    std::string shownTx;
    std::string shownRx;
    std::optional<WriteResult> written;  // radio.dat's write, when one was made
};

TEST(DopplerCorrection, ZeroRangeRateShowsTheRecordsFrequencies) {
    DopplerBench bench("Y");
    bench.s.station.radioPort = 0;
    bench.steadyUpdate(0);
    EXPECT_DOUBLE_EQ(bench.s.doppler.txKhz, 145900);
    EXPECT_DOUBLE_EQ(bench.s.doppler.rxKhz, 435800);
    EXPECT_EQ(bench.txShown(), "  145900.0");
    EXPECT_EQ(bench.rxShown(), "  435800.0");
    EXPECT_TRUE(bench.port().sent.empty());
}

TEST(DopplerCorrection, PredictsOneUpdateAheadFromTheLastTwoRatios) {
    DopplerBench bench("Y");
    bench.s.station.radioPort = 0;
    bench.update(7.5);
    const double predicted = 2 * 7.5 / speedOfLight;
    EXPECT_DOUBLE_EQ(bench.s.doppler.previousDopplerRatio, 7.5 / speedOfLight);
    EXPECT_DOUBLE_EQ(bench.s.doppler.rxKhz, 435800 + predicted * 435800);
    EXPECT_DOUBLE_EQ(bench.s.doppler.txKhz, 145900 - predicted * 145900);
    EXPECT_EQ(bench.rxShown(), "  435821.8");
    EXPECT_EQ(bench.txShown(), "  145892.7");

    bench.update(7.0);
    EXPECT_DOUBLE_EQ(bench.s.doppler.rxKhz, 435800 + (2 * 7.0 - 7.5) / speedOfLight * 435800);
}

TEST(DopplerCorrection, WithoutUplinkCorrectionTheUplinkStays) {
    DopplerBench bench("Y");
    bench.s.station.uplinkCorrection = 0;
    setupRadio(bench.context());
    bench.clearTranscript();
    bench.steadyUpdate(-5);
    EXPECT_EQ(bench.txShown(), "  145900.0");
    EXPECT_EQ(bench.rxShown(), "  435792.7");
    EXPECT_EQ(bench.hexTranscript(), std::vector<std::string>{"43 57 92 73 1E"});
}

TEST(DopplerCorrection, PpmDisplayWhenTheRecordIsMissing) {
    DopplerBench bench("Y");
    bench.s.frequencies.noFrequencyData = 1;
    // ppm = 5.47: floored to 5.4, shown as -5.4 for the uplink and +5.4 for the downlink.
    bench.steadyUpdate(5.47e-6 * speedOfLight);
    EXPECT_TRUE(bench.last.ppm);
    EXPECT_EQ(bench.txShown(), " -5.4");
    EXPECT_EQ(bench.rxShown(), " +5.4");
    bench.steadyUpdate(-5.47e-6 * speedOfLight);
    EXPECT_EQ(bench.txShown(), " +5.5");
    EXPECT_EQ(bench.rxShown(), " -5.5");
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.txShown(), " +0.0");
    EXPECT_EQ(bench.rxShown(), " +0.0");
    // Nothing else happens: no radio command, no retune state.
    EXPECT_TRUE(bench.port().sent.empty());
    EXPECT_DOUBLE_EQ(bench.s.doppler.lastShownRxKhz, 0);
}

TEST(DopplerCorrection, RetuneStepGovernsScreenAndRadio) {
    DopplerBench bench("Y", 145900, 415489.34);
    setupRadio(bench.context());
    bench.steadyUpdate(0);
    bench.clearTranscript();

    // 9 Hz: nothing shown, nothing sent.
    bench.s.frequencies.downlinkKhz = 415489.349;
    bench.shownRx = "----------";
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.rxShown(), "----------");
    EXPECT_EQ(bench.hexTranscript(), std::vector<std::string>{""});
    EXPECT_DOUBLE_EQ(bench.s.doppler.lastShownRxKhz, 415489.34);

    // Exactly the step, although 415489.35 - 415489.34 is a hair under 0.01 in binary.
    bench.s.frequencies.downlinkKhz = 415489.35;
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.rxShown(), "  415489.3");
    EXPECT_EQ(bench.hexTranscript(), std::vector<std::string>{"41 54 89 35 1E"});
    EXPECT_DOUBLE_EQ(bench.s.doppler.lastShownRxKhz, 415489.35);
}

TEST(DopplerCorrection, AChangeOfExactlyTheStepIsSent) {
    DopplerBench bench("Y");
    bench.s.station.dopplerThresholdHz = 250;
    setupRadio(bench.context());
    bench.s.doppler.lastShownRxKhz = 435799.75;
    bench.s.doppler.lastShownTxKhz = 145900.25;
    bench.clearTranscript();
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.hexTranscript(), std::vector<std::string>{"14 59 00 00 2E 43 58 00 00 1E"});

    bench.s.doppler.lastShownRxKhz = 435799.7505;
    bench.s.doppler.lastShownTxKhz = 145900.2495;
    bench.clearTranscript();
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.hexTranscript(), std::vector<std::string>{""});
}

TEST(DopplerCorrection, ConverterTranslation) {
    DopplerBench bench("Y");
    bench.s.station.converterLo[3] = 28;
    EXPECT_DOUBLE_EQ(translateThroughConverter(bench.context(), 435000), 407000);
    EXPECT_EQ(bench.s.doppler.converterInverts, 0);
    bench.s.station.converterLo[3] = 460;
    EXPECT_DOUBLE_EQ(translateThroughConverter(bench.context(), 435000), 25000);
    EXPECT_EQ(bench.s.doppler.converterInverts, 1);
    bench.s.station.converterLo[3] = 435;
    EXPECT_DOUBLE_EQ(translateThroughConverter(bench.context(), 435000), 0);
    EXPECT_EQ(bench.s.doppler.converterInverts, 0);
}

TEST(DopplerCorrection, ConverterBandsByFrequency) {
    DopplerBench bench("Y");
    for (int band = 2; band <= 8; ++band) {
        bench.s.station.converterLo[band] = band;  // MHz, so the band shows in the result
    }
    const std::pair<double, double> bandOf[] = {
        {99999.99, 1}, {100000, 2},  {199999, 2},   {200000, 3},   {599999, 3},
        {600000, 4},   {1599999, 4}, {1600000, 5},  {3999999, 5},  {4000000, 6},
        {7999999, 6},  {8000000, 7}, {17999999, 7}, {18000000, 8}, {24048000, 8},
    };
    for (const auto& [khz, band] : bandOf) {
        const double expectedLoKhz = band == 1 ? 0 : 1000 * band;
        EXPECT_DOUBLE_EQ(translateThroughConverter(bench.context(), khz), khz - expectedLoKhz) << khz;
    }
}

TEST(DopplerCorrection, ScreenShowsFrequenciesBeforeTheConverter) {
    DopplerBench bench("Y", 145900, 435000);
    bench.s.station.converterLo[3] = 28;
    setupRadio(bench.context());
    bench.clearTranscript();
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.rxShown(), "  435000.0");
    EXPECT_DOUBLE_EQ(bench.s.doppler.rxKhz, 407000);
    EXPECT_DOUBLE_EQ(bench.s.doppler.lastShownRxKhz, 435000);
    EXPECT_EQ(bench.hexTranscript(), std::vector<std::string>{"14 59 00 00 2E 40 70 00 00 1E"});
}

TEST(DopplerCorrection, TenHzRounding) {
    EXPECT_EQ(tenHzOf(145900.125), 14'590'013);
    EXPECT_EQ(tenHzOf(145900.115), 14'590'012);
    EXPECT_EQ(tenHzOf(-0.125), -12);
    EXPECT_EQ(tenHzOf(1e12), 2'147'483'647);
    EXPECT_EQ(tenHzOf(-1e12), -2'147'483'647 - 1);
    EXPECT_EQ(tenHzOf64(2400000), 240'000'000);
    EXPECT_EQ(tenHzOf64(24048000.005), 2'404'800'001);
}

TEST(DopplerCorrection, FirstUpdateOfAPassSendsBoth) {
    DopplerBench bench("Y");
    bench.s.doppler.lastShownTxKhz = 145950;  // the previous satellite's
    bench.s.doppler.lastShownRxKhz = 435250;
    setupRadio(bench.context());
    bench.clearTranscript();
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.hexTranscript(), std::vector<std::string>{"14 59 00 00 2E 43 58 00 00 1E"});
}

TEST(DopplerCorrection, NoRadioPortSendsNothing) {
    DopplerBench bench("Y");
    bench.s.station.radioPort = 0;
    bench.steadyUpdate(3);
    EXPECT_TRUE(bench.port().sent.empty());
    EXPECT_FALSE(bench.dir.exists("radio.dat"));
}

TEST(RadioDat, WrittenOnEveryCallEvenWithoutARadioPort) {
    DopplerBench bench("D");
    bench.s.station.radioPort = 0;
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.dir.read("radio.dat"), " 145900000 \r\n 435800000 \r\nUSB\r\nLSB\r\n");
    EXPECT_EQ(bench.rxShown(), "  435800.0");

    // Unchanged frequencies are written again.
    std::filesystem::remove(bench.dir.path() / "radio.dat");
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.dir.read("radio.dat"), " 145900000 \r\n 435800000 \r\nUSB\r\nLSB\r\n");
    EXPECT_TRUE(bench.port().sent.empty());
    ASSERT_TRUE(bench.written.has_value());
    EXPECT_TRUE(*bench.written);
}

TEST(RadioDat, CarriesConvertedValuesAboveTwoGigahertzAndTheUplinkWithoutCorrection) {
    DopplerBench bench("D", 2400000, 10489550);
    bench.s.station.uplinkCorrection = 0;
    bench.s.station.converterLo[7] = 9750;  // a 10 GHz downlink on 739.55 MHz
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.dir.read("radio.dat"), " 2400000000 \r\n 739550000 \r\nUSB\r\nLSB\r\n");
}

TEST(RadioDat, ReplacesTheFileWhateverTheCaseOfItsName) {
    DopplerBench bench("D");
    bench.dir.write("RADIO.DAT", "old contents that are longer than the new ones\r\n");
    bench.steadyUpdate(0);
    EXPECT_EQ(bench.dir.read("RADIO.DAT"), " 145900000 \r\n 435800000 \r\nUSB\r\nLSB\r\n");
}

TEST(RadioDat, AFailedWriteIsReported) {
    DopplerBench bench("D");
    std::filesystem::create_directory(bench.dir.path() / "radio.dat");
    bench.steadyUpdate(0);
    ASSERT_TRUE(bench.written.has_value());
    EXPECT_EQ(bench.written->failure, "Is a directory");
    EXPECT_EQ(bench.rxShown(), "  435800.0");
}

TEST(RadioDat, NotWrittenInThePpmDisplay) {
    DopplerBench bench("D");
    bench.s.frequencies.noFrequencyData = 1;
    bench.steadyUpdate(1);
    EXPECT_FALSE(bench.dir.exists("radio.dat"));
}

}  // namespace
}  // namespace station
