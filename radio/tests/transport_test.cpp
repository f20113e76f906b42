#include "radio/transport.hpp"

#include <gtest/gtest.h>

#include "radio/tests/protocol_bench.hpp"

namespace station {
namespace {

TEST(HexCommandBytes, PairsOfDigitsBecomeBytes) {
    EXPECT_EQ(hexCommandBytes("FEFE60E0"), bytesOf("FE FE 60 E0"));
    EXPECT_EQ(hexCommandBytes("fefe0a"), bytesOf("FE FE 0A"));
    EXPECT_EQ(hexCommandBytes("C9600000FA"), bytesOf("C9 60 00 00 FA"));
    EXPECT_TRUE(hexCommandBytes("").empty());
    // A pair that does not begin with a hex digit is 0; one that does stops at the first
    // that is not.
    EXPECT_EQ(hexCommandBytes("G1A+"), bytesOf("00 0A"));
}

TEST(HexCommandBytes, OddLengthRoundsTheByteCountHalfToEven) {
    EXPECT_TRUE(hexCommandBytes("A").empty());                      // 0.5 -> 0
    EXPECT_EQ(hexCommandBytes("ABC"), bytesOf("AB 0C"));            // 1.5 -> 2, lone digit
    EXPECT_EQ(hexCommandBytes("ABCDE"), bytesOf("AB CD"));          // 2.5 -> 2
    EXPECT_EQ(hexCommandBytes("ABCDEF1"), bytesOf("AB CD EF 01"));  // 3.5 -> 4
}

TEST(HexCommandBytes, AtMostTwentyBytes) {
    const std::string fortyFour =
        "0102030405060708091011121314151617181920"
        "2122";
    const auto bytes = hexCommandBytes(fortyFour);
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(bytes.front(), 0x01);
    EXPECT_EQ(bytes.back(), 0x20);
}

TEST(RadioTransport, WritesExactlyTheCommandAndNothingElse) {
    RadioBench bench("Y");
    sendHex(bench.context(), "435800001E");
    sendText(bench.context(), "FA00145900000;");
    sendBytes(bench.context(), {0x00, 0xFD});
    EXPECT_EQ(spacedHexOf(bench.port().sent),
              "43 58 00 00 1E 46 41 30 30 31 34 35 39 30 30 30 30 30 3B 00 FD");
}

TEST(RadioTransport, NoLinkSendsNothingAndDoesNotFail) {
    RadioBench bench("Y");
    bench.s.radioLink.reset();
    sendHex(bench.context(), "0000000000");
    sendText(bench.context(), "MT;");
    EXPECT_TRUE(bench.port().sent.empty());
}

TEST(RadioTransport, PauseIsTwoHundredMillisecondsThatAKeyDoesNotShorten) {
    RadioBench bench("Y");
    bench.mc.sleeper.recordSleeps = true;
    bench.mc.keyboard.push("Q");
    const auto before = bench.mc.clock.millis;
    radioPause(bench.context());
    EXPECT_EQ(bench.mc.sleeper.sleeps, std::vector<int>{200});
    EXPECT_EQ(bench.mc.clock.millis - before, 200);
    EXPECT_EQ(bench.mc.keyboard.pending(), 1u);
}

TEST(RadioTransport, FrequencyRangeIsSevenToNineDigitsOfTenHzUnits) {
    RadioBench bench("Y");
    EXPECT_TRUE(frequencyInRange(bench.context(), 1'000'000));
    EXPECT_TRUE(frequencyInRange(bench.context(), 999'999'999));
    EXPECT_TRUE(frequencyInRange(bench.context(), 43'580'000));
    EXPECT_EQ(bench.mc.screen.rowText(24), std::string(80, ' '));

    EXPECT_FALSE(frequencyInRange(bench.context(), 999'999));
    EXPECT_EQ(bench.mc.screen.rowText(24, 3, 49), "Frequency out of range for the radio: not sent.");
    // Said once: a cleared message line stays clear at the next refusal.
    showMessage(bench.mc.screen, "");
    EXPECT_FALSE(frequencyInRange(bench.context(), 1'000'000'000));
    EXPECT_FALSE(frequencyInRange(bench.context(), -43'580'000));
    EXPECT_EQ(bench.mc.screen.rowText(24), std::string(80, ' '));
}

TEST(RadioTransport, ModeMatchesByPrefix) {
    EXPECT_TRUE(modeIs("FMW", "FM"));
    EXPECT_TRUE(modeIs("USB ", "USB"));
    EXPECT_FALSE(modeIs("FM", "FMN"));
    EXPECT_FALSE(modeIs(" FM", "FM"));
    EXPECT_FALSE(modeIs("", "CW"));
}

}  // namespace
}  // namespace station
