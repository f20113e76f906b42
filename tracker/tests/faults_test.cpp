// Faults the tracker rides out: a rotator, radio or GPS link that drops out and comes back, a
// station file that cannot be written for a while.
#include "tracker/faults.hpp"
#include "tracker/screen.hpp"
#include "tracker/tests/scenario_fixture.hpp"

#include <filesystem>
#include <regex>
#include <set>

namespace station::trackertest {
namespace {

class FaultsTest : public ScenarioTest {
protected:
    void dropOut(int port) {
        mc.serialPorts.port(port).fault = "Input/output error";
        mc.serialPorts.failing = {port};
    }
    void comeBack(int port) {
        mc.serialPorts.port(port).fault.clear();
        mc.serialPorts.failing.clear();
    }
};

TEST_F(FaultsTest, ARotatorLinkLostMidPassIsReportedOnceAndGetsThePositionWhenItComesBack) {
    // "W" text on port 1, one-degree steps, no park, no radio.
    station({{9, "1"}, {11, "0"}, {14, "1"}, {16, "1"}, {19, "0"}});
    const MemorySerialPort& rotator = mc.serialPorts.port(1);
    std::size_t sentAtLoss = 0;
    std::int64_t restoredAt = -1;
    std::string shownWhenRestored;
    std::vector<std::string> azimuthsWhileLost;
    std::set<std::string> timesWhileLost;
    watch = [&](std::int64_t millis) {
        if (millis == start + 5000) {
            dropOut(1);
        }
        if (millis == start + 17'500) {
            comeBack(1);
        }
        if (s.rotatorLink.lost()) {
            if (sentAtLoss == 0) {
                sentAtLoss = rotator.sent.size();
            }
            const std::string azimuth = mc.screen.rowText(17, 37, 43);
            if (azimuthsWhileLost.empty() || azimuthsWhileLost.back() != azimuth) {
                azimuthsWhileLost.push_back(azimuth);
            }
            timesWhileLost.insert(mc.screen.rowText(4, 3, 23));
            EXPECT_EQ(rotator.sent.size(), sentAtLoss) << "written while lost, at " << millis - start;
        } else if (sentAtLoss != 0 && restoredAt < 0) {
            restoredAt = millis;
        }
        if (restoredAt > 0 && shownWhenRestored.empty() && rotator.sent.size() > sentAtLoss) {
            shownWhenRestored = mc.screen.rowText(17, 37, 43) + mc.screen.rowText(18, 37, 43);
        }
    };
    EXPECT_EQ(runUntil(start + 30'000, {"ISS"}), -1);

    const std::string lost = "Rotator link lost (COM1: Input/output error). Reconnecting.";
    const std::int64_t lostAt = shownAt(lost);
    ASSERT_GT(lostAt, start + 5000);
    EXPECT_LE(lostAt, start + 6002);  // at the next write, or the next look for a hang-up
    EXPECT_EQ(timesShown(lost), 1);
    // Opened at start-up, then tried every 5 seconds: twice in vain, the third time it works.
    EXPECT_EQ(mc.serialPorts.opened, (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(shownAt("Rotator link restored."), restoredAt);
    EXPECT_NEAR(static_cast<double>(restoredAt - lostAt), 15'000, 2);
    // The screen went on, once a second, showing the position computed while the link was down.
    EXPECT_GE(timesWhileLost.size(), 15u);
    EXPECT_GE(azimuthsWhileLost.size(), 3u);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Tracking ISS"}));
    // At once the rotator is sent where the antenna should be: the position on rows 17 and 18.
    const std::string resent = rotator.sentText().substr(sentAtLoss);
    std::smatch command;
    ASSERT_TRUE(std::regex_search(resent, command, std::regex("^W(\\d{3}) (\\d{3})\r")));
    ASSERT_EQ(shownWhenRestored.size(), 14u);
    EXPECT_EQ(std::stoi(command[1]), std::stoi(shownWhenRestored.substr(0, 7)));
    EXPECT_EQ(std::stoi(command[2]), std::stoi(shownWhenRestored.substr(7)));
}

TEST_F(FaultsTest, AParkedRotatorGetsItsParkPositionAgainWhenItsLinkComesBack) {
    // "W" text on port 1, parked at 180 degrees azimuth while idle: a position that never
    // changes, so only the link's return sends it again.
    station({{11, "1"}, {12, "180"}, {13, "0"}, {14, "1"}, {16, "1"}, {19, "0"}});
    dir.write("KELVORIN.CMD", "NONE\r\n");
    const MemorySerialPort& rotator = mc.serialPorts.port(1);
    std::size_t sentAtLoss = 0;
    watch = [&](std::int64_t millis) {
        if (millis == start + 2000) {
            sentAtLoss = rotator.sent.size();
            dropOut(1);
        }
        if (millis == start + 4000) {
            comeBack(1);
        }
    };
    EXPECT_EQ(runUntil(start + 12'000), -1);
    EXPECT_EQ(rotator.sentText().substr(0, sentAtLoss), "W180 000\r");
    EXPECT_GT(shownAt("Rotator link restored."), start + 4000);
    EXPECT_EQ(rotator.sentText().substr(sentAtLoss), "W180 000\r");
}

TEST_F(FaultsTest, ARadioLinkBackMidPassGetsItsSetupAgainThenBothFrequencies) {
    // Semicolon commands on port 2; a retune step so large that the pass itself never resends.
    station({{14, "1"}, {16, "0"}, {18, "K"}, {19, "2"}, {25, "100000"}});
    const MemorySerialPort& radio = mc.serialPorts.port(2);
    std::size_t sentAtLoss = 0;
    watch = [&](std::int64_t millis) {
        if (millis == start + 5000) {
            sentAtLoss = radio.sent.size();
            dropOut(2);
        }
        if (millis == start + 9000) {
            comeBack(2);
        }
    };
    EXPECT_EQ(runUntil(start + 20'000, {"ISS"}), -1);

    const std::string sent = radio.sentText();
    const std::string setup = sent.substr(0, sent.find("DC0;FA"));
    ASSERT_EQ(setup.substr(0, 3), "MT;");
    // The first update sent both frequencies; nothing else until the link went.
    const std::string firstUpdate = sent.substr(setup.size(), sentAtLoss - setup.size());
    EXPECT_TRUE(std::regex_match(firstUpdate, std::regex("DC0;FA\\d{11};DC1;FA\\d{11};"))) << firstUpdate;
    EXPECT_EQ(shownAt("Radio link lost (COM2: Input/output error). Reconnecting."), start + 5001);
    EXPECT_GT(shownAt("Radio link restored."), start + 9000);
    const std::string resent = sent.substr(sentAtLoss);
    ASSERT_EQ(resent.substr(0, setup.size()), setup);
    EXPECT_TRUE(std::regex_match(resent.substr(setup.size()), std::regex("DC0;FA\\d{11};DC1;FA\\d{11};")))
        << resent;
}

TEST_F(FaultsTest, AGpsLinkIsWatchedWhileIdle) {
    station({{37, "3"}});
    dir.write("KELVORIN.CMD", "NONE\r\n");
    watch = [&](std::int64_t millis) {
        if (millis == start + 2000) {
            dropOut(3);
        }
        if (millis == start + 4000) {
            comeBack(3);
        }
    };
    EXPECT_EQ(runUntil(start + 10'000), -1);
    EXPECT_EQ(shownAt("GPS link lost (COM3: Input/output error). Reconnecting."), start + 2001);
    EXPECT_EQ(shownAt("GPS link restored."), start + 7001);
    EXPECT_EQ(statuses, std::vector<std::string>{"Idling"});
}

TEST_F(FaultsTest, ARadioDatThatCannotBeWrittenIsReportedOnceAndTrackingGoesOn) {
    station({{18, "D"}, {19, "0"}});
    const auto radioDat = dir.path() / "radio.dat";
    std::vector<std::string> timesShownWhileFailing;
    watch = [&](std::int64_t millis) {
        if (millis == start + 5000) {
            // Something takes the file's place: every replace fails.
            std::filesystem::remove(radioDat);
            std::filesystem::create_directory(radioDat);
        }
        if (millis > start + 5000 && millis < start + 12'000 && millis % 1000 == 500) {
            timesShownWhileFailing.push_back(mc.screen.rowText(4, 3, 23));
        }
        if (millis == start + 12'000) {
            std::filesystem::remove(radioDat);
        }
    };
    EXPECT_EQ(runUntil(start + 15'000, {"ISS"}), -1);

    const std::string failed = "Could not write radio.dat (Is a directory). Retrying at next change.";
    EXPECT_EQ(shownAt(failed), start + 5001);
    EXPECT_EQ(timesShown(failed), 1);
    EXPECT_EQ(shownAt("radio.dat written again."), start + 12'001);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Tracking ISS"}));
    // The clock ran on meanwhile, a new second every second.
    ASSERT_EQ(timesShownWhileFailing.size(), 7u);
    for (std::size_t i = 1; i < timesShownWhileFailing.size(); ++i) {
        EXPECT_NE(timesShownWhileFailing[i], timesShownWhileFailing[i - 1]);
    }
    EXPECT_EQ(dir.read("radio.dat").substr(0, 4), " 145");
}

TEST_F(FaultsTest, AWriteFailureIsReportedAgainAfterTheFileWasWrittenOnceMore) {
    loadStation();
    drawScreen(s);
    reportWrite(s, "ROT.DAT", WriteResult{"No space left on device"});
    EXPECT_EQ(messageLine().substr(1, 79 - 2 - 1).find("Could not write ROT.DAT (No space left on device)."), 0u);
    s.showMessage("");
    reportWrite(s, "ROT.DAT", WriteResult{"No space left on device"});
    reportWrite(s, "KVFLIP.DAT", std::nullopt);
    reportWrite(s, "radio.dat", WriteResult{});
    EXPECT_EQ(messageLine(), std::string(78, ' '));
    reportWrite(s, "ROT.DAT", WriteResult{});
    EXPECT_EQ(messageLine().substr(1, 22), "ROT.DAT written again.");
    reportWrite(s, "ROT.DAT", WriteResult{"Read-only file system"});
    EXPECT_EQ(messageLine().substr(1, 73),
              "Could not write ROT.DAT (Read-only file system). Retrying at next change.");
}

}  // namespace
}  // namespace station::trackertest
