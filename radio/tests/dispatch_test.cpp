#include <gtest/gtest.h>

#include "radio/radio.hpp"
#include "radio/tests/protocol_bench.hpp"

namespace station {
namespace {

struct DispatchBench : RadioBench {
    explicit DispatchBench(const std::string& code) : RadioBench(code) {
        s.frequencies.uplinkKhz = 145900;
        s.frequencies.downlinkKhz = 435800;
        s.frequencies.uplinkMode = "USB";
        s.frequencies.downlinkMode = "LSB";
        s.frequencies.toneCode = "0";
    }
};

TEST(RadioDispatch, SetupRunsOnlyWithDataAPortAndACodeOtherThanD) {
    {
        DispatchBench bench("Y");
        bench.s.frequencies.noFrequencyData = 1;
        setupRadio(bench.context());
        shutdownRadio(bench.context());
        EXPECT_TRUE(bench.port().sent.empty());
        EXPECT_EQ(bench.mc.clock.millis, 0);
    }
    {
        DispatchBench bench("Y");
        bench.s.station.radioPort = 0;
        setupRadio(bench.context());
        sendFrequencyUpdate(bench.context(), 14'590'000, 43'580'000, true, true);
        shutdownRadio(bench.context());
        EXPECT_TRUE(bench.port().sent.empty());
        EXPECT_EQ(bench.mc.clock.millis, 0);
    }
    {
        // Code D: no setup, so no converter step either.
        DispatchBench bench("D");
        bench.s.station.converterLo[3] = 460;
        setupRadio(bench.context());
        EXPECT_EQ(bench.s.frequencies.downlinkMode, "LSB");
        EXPECT_EQ(bench.s.radio.rxTenHz, 0);
        EXPECT_TRUE(bench.port().sent.empty());
    }
}

TEST(RadioDispatch, CodesAreComparedWhole) {
    for (const char* code : {"y", "Y ", "Y4", "Z", ""}) {
        DispatchBench bench(code);
        setupRadio(bench.context());
        sendFrequencyUpdate(bench.context(), 14'590'000, 43'580'000, true, true);
        shutdownRadio(bench.context());
        EXPECT_TRUE(bench.port().sent.empty()) << code;
        EXPECT_EQ(bench.mc.clock.millis, 0) << code;
    }
}

TEST(RadioDispatch, SetupTranslatesThroughTheConverterFirst) {
    DispatchBench bench("Z");              // a code with no commands shows the common steps alone
    bench.s.station.converterLo[2] = 116;  // 145.9 MHz on a 29.9 MHz radio, not inverting
    bench.s.station.converterLo[3] = 460;  // 435.8 MHz on 24.2 MHz, inverting
    setupRadio(bench.context());
    EXPECT_EQ(bench.s.radio.txTenHz, 2'990'000);
    EXPECT_EQ(bench.s.radio.rxTenHz, 2'420'000);
    EXPECT_EQ(bench.s.frequencies.uplinkMode, "USB");
    EXPECT_EQ(bench.s.frequencies.downlinkMode, "USB");
    EXPECT_EQ(bench.s.doppler.converterInverts, 1);
    EXPECT_TRUE(bench.port().sent.empty());
}

TEST(RadioDispatch, InvertingConverterExchangesOnlyTheSidebandLetters) {
    const std::pair<const char*, const char*> exchanges[] = {
        {"USB", "LSB"}, {"LSB", "USB"}, {"USB-D", "LSB-D"}, {"LSBX", "USBX"}, {"FM", "FM"},
        {"CW", "CW"},   {"", ""}};
    for (const auto& [before, after] : exchanges) {
        DispatchBench bench("Z");
        bench.s.station.converterLo[2] = 146;  // above 145.9 MHz: inverting
        bench.s.station.converterLo[3] = 460;
        bench.s.frequencies.uplinkMode = before;
        bench.s.frequencies.downlinkMode = before;
        setupRadio(bench.context());
        EXPECT_EQ(bench.s.frequencies.uplinkMode, after) << before;
        EXPECT_EQ(bench.s.frequencies.downlinkMode, after) << before;
    }
}

TEST(RadioDispatch, SetupRoundsToTenHzHalvesUp) {
    DispatchBench bench("Z");
    bench.s.frequencies.uplinkKhz = 145900.125;    // 14 590 012.5 units
    bench.s.frequencies.downlinkKhz = 435799.994;  // 43 579 999.4 units
    setupRadio(bench.context());
    EXPECT_EQ(bench.s.radio.txTenHz, 14'590'013);
    EXPECT_EQ(bench.s.radio.rxTenHz, 43'579'999);
}

TEST(RadioDispatch, EachSetupMayReportAnOutOfRangeFrequencyAgain) {
    DispatchBench bench("Y");
    bench.s.radio.outOfRangeReported = true;
    setupRadio(bench.context());
    EXPECT_FALSE(bench.s.radio.outOfRangeReported);
}

}  // namespace
}  // namespace station
