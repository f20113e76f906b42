// Radio code H and rotator interface 4: the daemons' links ride out a daemon that is not there
// yet, one that stops answering, and an address that cannot be read.
#include "tracker/tests/scenario_fixture.hpp"

#include <regex>

namespace station::trackertest {
namespace {

class DaemonLinksTest : public ScenarioTest {
protected:
    // Answers every line "RPRT 0" and keeps it.
    void answering(const std::string& address, std::vector<std::string>& lines) {
        mc.network.daemon(address).answer = [&lines](const std::string& line) {
            lines.push_back(line);
            return std::string("RPRT 0\n");
        };
    }
    // A daemon that is not running.
    void absent(const std::string& address) { mc.network.daemon(address).fault = "Connection refused"; }
    void back(const std::string& address) { mc.network.daemon(address).fault.clear(); }
};

TEST_F(DaemonLinksTest, ARadioDaemonStartedMidPassIsSetUpAndGetsBothFrequencies) {
    // The daemons need no port numbers.
    station({{14, "4"}, {16, "0"}, {18, "H"}, {19, "0"}, {45, "localhost:4540"}, {46, ""}});
    std::vector<std::string> radio;
    std::vector<std::string> rotator;
    answering("localhost:4540", radio);
    answering("localhost:4533", rotator);
    absent("localhost:4540");
    std::string rowsAtLastPosition;
    std::size_t positions = 0;
    watch = [&](std::int64_t millis) {
        if (millis == start + 7000) {
            back("localhost:4540");
        }
        if (rotator.size() != positions) {
            positions = rotator.size();
            rowsAtLastPosition = mc.screen.rowText(17, 37, 43) + mc.screen.rowText(18, 37, 43);
        }
    };
    EXPECT_EQ(runUntil(start + 20'000, {"ISS"}), -1);

    const std::string lost = "Radio link lost (localhost:4540: Connection refused). Reconnecting.";
    EXPECT_EQ(timesShown(lost), 1);
    const std::int64_t restored = shownAt("Radio link restored.");
    EXPECT_GT(restored, start + 7000);
    EXPECT_LE(restored, start + 12'001);
    // Tried at start-up, then every 5 seconds until the daemon answered.
    const auto tries = std::count(mc.network.connections.begin(), mc.network.connections.end(), "localhost:4540");
    EXPECT_GE(tries, 2);
    EXPECT_LE(tries, 4);
    // The pass's setup on reconnection, then both frequencies at the next update.
    ASSERT_GE(radio.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(radio.begin(), radio.begin() + 3),
              (std::vector<std::string>{"S 1 VFOB", "M FM 0", "X FM 0"}));
    EXPECT_TRUE(std::regex_match(radio[3], std::regex("F 4378\\d{5}"))) << radio[3];
    EXPECT_TRUE(std::regex_match(radio[4], std::regex("I 1459\\d{5}"))) << radio[4];
    // The downlink shown on row 20 (to 100 Hz) is the one sent last (to 10 Hz).
    std::string lastF;
    for (const std::string& line : radio) {
        if (line[0] == 'F') {
            lastF = line;
        }
    }
    const double shownRxKhz = std::stod(mc.screen.rowText(20, 37, 46));
    EXPECT_NEAR(std::stod(lastF.substr(2)) / 1000, shownRxKhz, 0.0501);

    // The rotator daemon was there all along: its last position is the one on rows 17 and 18.
    ASSERT_FALSE(rotator.empty());
    std::smatch position;
    ASSERT_TRUE(std::regex_match(rotator.back(), position, std::regex("P (\\d+\\.\\d\\d) (\\d+\\.\\d\\d)")));
    EXPECT_EQ(std::stod(position[1]), std::stod(rowsAtLastPosition.substr(0, 7)));
    EXPECT_EQ(std::stod(position[2]), std::stod(rowsAtLastPosition.substr(7)));
    EXPECT_EQ(timesShown("Rotator link lost (localhost:4533: Connection refused). Reconnecting."), 0);
}

TEST_F(DaemonLinksTest, ARotatorDaemonThatStopsAnsweringIsALostLinkUntilItAnswersAgain) {
    station({{9, "0.5"}, {14, "4"}, {16, "1"}, {19, "0"}});
    std::vector<std::string> rotator;
    bool silent = false;
    mc.network.daemon("localhost:4533").answer = [&](const std::string& line) {
        rotator.push_back(line);
        return silent ? std::string() : std::string("RPRT 0\n");
    };
    std::size_t sentAtSilence = 0;
    watch = [&](std::int64_t millis) {
        if (millis == start + 5000) {
            silent = true;
            sentAtSilence = rotator.size();
        }
        if (millis == start + 9000) {
            silent = false;
        }
    };
    EXPECT_EQ(runUntil(start + 20'000, {"ISS"}), -1);
    const std::string lost = "Rotator link lost (localhost:4533: No reply within 200 ms). Reconnecting.";
    EXPECT_EQ(timesShown(lost), 1);
    EXPECT_GT(shownAt("Rotator link restored."), start + 9000);
    // Connected at start-up, and again at the first try after the daemon answered again.
    EXPECT_GT(shownAt(lost), start + 5000);
    EXPECT_EQ(std::count(mc.network.connections.begin(), mc.network.connections.end(), "localhost:4533"), 2);
    ASSERT_GT(rotator.size(), sentAtSilence + 2);
}

TEST_F(DaemonLinksTest, AnAddressThatCannotBeReadIsToldAndNothingIsConnected) {
    // The station file reader gives its values upper-cased.
    station({{14, "4"}, {16, "1"}, {18, "H"}, {19, "1"}, {45, "mast:99999"}, {46, "[::1]:4600"}});
    std::vector<std::string> rotator;
    answering("[::1]:4600", rotator);
    EXPECT_EQ(runUntil(start + 3000, {"ISS"}), -1);
    EXPECT_EQ(timesShown("Radio daemon address \"MAST:99999\" not understood: not connected."), 1);
    EXPECT_EQ(mc.network.connections, (std::vector<std::string>{"[::1]:4600"}));
}

}  // namespace
}  // namespace station::trackertest
