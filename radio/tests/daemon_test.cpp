#include "radio/protocols.hpp"
#include "radio/radio.hpp"
#include "radio/tests/protocol_bench.hpp"
#include "radio/transport.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

using Lines = std::vector<std::string>;

TEST(DaemonBuilders, ModesByPrefixWithThePassbandOfTheRadio) {
    EXPECT_EQ(daemonModeCommand('M', "USB"), "M USB 0");
    EXPECT_EQ(daemonModeCommand('X', "LSB"), "X LSB 0");
    EXPECT_EQ(daemonModeCommand('M', "FM"), "M FM 0");
    EXPECT_EQ(daemonModeCommand('M', "FMW"), "M FM 0");
    EXPECT_EQ(daemonModeCommand('X', "FMN"), "X FM 0");
    EXPECT_EQ(daemonModeCommand('X', "CW"), "X CW 0");
    EXPECT_EQ(daemonModeCommand('M', "CWN"), "M CW 0");
    EXPECT_EQ(daemonModeCommand('M', "AM"), "");
    EXPECT_EQ(daemonModeCommand('M', ""), "");
}

TEST(DaemonBuilders, FrequenciesInWholeHertzBeyondThirtyTwoBits) {
    EXPECT_EQ(daemonFrequencyCommand('F', 43'580'000), "F 435800000");
    EXPECT_EQ(daemonFrequencyCommand('I', 14'590'001), "I 145900010");
    EXPECT_EQ(daemonFrequencyCommand('F', 1'048'900'000), "F 10489000000");
}

// A daemon that takes every command but those it is told to refuse, and keeps the lines it got.
struct DaemonTest : ::testing::Test {
    RadioBench bench{"H"};
    RadioBench::Records& s = bench.s;
    Lines received;
    std::string refusing;  // command word answered "RPRT -1"

    void SetUp() override {
        s.frequencies = FrequencyRecord{145900, 435800, "USB", "LSB", "0", 0};
        s.radio.txTenHz = 14'590'000;
        s.radio.rxTenHz = 43'580'000;
        bench.port().answer = [this](const std::string& line) {
            received.push_back(line);
            return line.substr(0, line.find(' ')) == refusing ? "RPRT -1\n" : "RPRT 0\n";
        };
    }
    std::string message() { return bench.mc.screen.rowText(24, 3, 79); }
};

TEST_F(DaemonTest, SetupTurnsSplitOnAndSetsBothModes) {
    setupDaemon(bench.context());
    EXPECT_EQ(received, (Lines{"S 1 VFOB", "M LSB 0", "X USB 0"}));
    // Every reply was read, none left waiting, and no pause was needed.
    EXPECT_EQ(bench.port().waiting(), 0);
    EXPECT_TRUE(bench.pauseMarks.empty());
    EXPECT_TRUE(bench.s.radioLink->failure().empty());
}

TEST_F(DaemonTest, SetupSendsTheUplinkOnceWithoutUplinkCorrection) {
    s.station.uplinkCorrection = 0;
    setupDaemon(bench.context());
    EXPECT_EQ(received, (Lines{"S 1 VFOB", "M LSB 0", "X USB 0", "I 145900000"}));
    received.clear();
    updateDaemon(bench.context(), 14'590'100, 43'579'000, true, true);
    EXPECT_EQ(received, (Lines{"F 435790000"}));
}

TEST_F(DaemonTest, UpdateSendsOnlyWhatChanged) {
    updateDaemon(bench.context(), 14'590'100, 43'579'000, true, true);
    EXPECT_EQ(received, (Lines{"F 435790000", "I 145901000"}));
    received.clear();
    updateDaemon(bench.context(), 14'590'100, 43'578'990, false, true);
    EXPECT_EQ(received, (Lines{"F 435789900"}));
    received.clear();
    updateDaemon(bench.context(), 14'590'200, 43'578'990, true, false);
    EXPECT_EQ(received, (Lines{"I 145902000"}));
    received.clear();
    updateDaemon(bench.context(), 14'590'200, 43'578'990, false, false);
    EXPECT_TRUE(received.empty());
}

TEST_F(DaemonTest, ModeWithoutADaemonNameIsLeftAsItIs) {
    s.frequencies.uplinkMode = "AM";
    setupDaemon(bench.context());
    EXPECT_EQ(received, (Lines{"S 1 VFOB", "M LSB 0"}));
}

TEST_F(DaemonTest, ARefusalIsShownOnceWithItsCommandUntilTheCommandIsTakenAgain) {
    refusing = "F";
    updateDaemon(bench.context(), 14'590'000, 43'580'000, false, true);
    EXPECT_EQ(message().substr(0, 42), "Radio daemon refused F 435800000: RPRT -1 ");
    showMessage(bench.mc.screen, "");
    updateDaemon(bench.context(), 14'590'000, 43'579'990, false, true);
    EXPECT_EQ(message(), std::string(77, ' '));
    // Other commands still go, and the link stays up: a refusal is the daemon's answer.
    updateDaemon(bench.context(), 14'590'100, 43'579'990, true, false);
    EXPECT_EQ(received.back(), "I 145901000");
    EXPECT_TRUE(bench.s.radioLink->failure().empty());

    refusing.clear();
    updateDaemon(bench.context(), 14'590'100, 43'579'980, false, true);
    refusing = "F";
    updateDaemon(bench.context(), 14'590'100, 43'579'970, false, true);
    EXPECT_EQ(message().substr(0, 41), "Radio daemon refused F 435799700: RPRT -1");
}

TEST_F(DaemonTest, AnAnswerThatIsNoReportIsShownAsARefusal) {
    bench.port().answer = [](const std::string&) { return std::string("garbage\n"); };
    updateDaemon(bench.context(), 14'590'000, 43'580'000, false, true);
    EXPECT_EQ(message().substr(0, 40), "Radio daemon refused F 435800000: garbag");
}

TEST_F(DaemonTest, ADaemonThatDoesNotAnswerFailsTheLinkAndIsSentNothingMore) {
    bench.port().answer = [this](const std::string& line) {
        received.push_back(line);
        return std::string();
    };
    setupDaemon(bench.context());
    EXPECT_EQ(received, (Lines{"S 1 VFOB"}));
    EXPECT_EQ(bench.s.radioLink->failure(), "No reply within 200 ms");
    // The lost link is the link's owner's to report.
    EXPECT_EQ(message(), std::string(77, ' '));
}

TEST_F(DaemonTest, ParkSendsTheParkRecordWithBothFrequencies) {
    bench.dir.write("KELVORIN.FRC", "PARK\r\n145800\r\n435800\r\nFM\r\nFMW\r\n0\r\n");
    parkRadio(bench.context());
    EXPECT_EQ(received, (Lines{"S 1 VFOB", "M FM 0", "X FM 0", "I 145800000", "F 435800000"}));
}

TEST_F(DaemonTest, ShutdownParksTheRadioAndTheDispatchReachesTheDaemonWithoutAPortNumber) {
    bench.dir.write("KELVORIN.FRC", "PARK\r\n145800\r\n435800\r\nFM\r\nFM\r\n0\r\n");
    s.station.converterLo = {};
    s.station.radioPort = 0;
    setupRadio(bench.context());
    EXPECT_EQ(received, (Lines{"S 1 VFOB", "M LSB 0", "X USB 0"}));
    received.clear();
    sendFrequencyUpdate(bench.context(), 14'590'000, 43'580'000, true, true);
    EXPECT_EQ(received, (Lines{"F 435800000", "I 145900000"}));
    received.clear();
    shutdownRadio(bench.context());
    EXPECT_EQ(received.back(), "F 435800000");
    EXPECT_EQ(received.front(), "S 1 VFOB");
}

}  // namespace
}  // namespace station
