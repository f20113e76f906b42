// The reconnecting link over a memory port that drops out and later takes opens again.
#include "console/reconnecting_link.hpp"
#include "console/testsupport/memory.hpp"
#include "console/testsupport/memory_link.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace station {
namespace {

class ReconnectingLinkTest : public ::testing::Test {
protected:
    ReconnectingLinkTest() { testing::openLink(link, ports, 2); }
    // Steps the link at each of the instants (seconds); what changed at each.
    std::vector<LinkChange> stepAt(std::initializer_list<double> instants) {
        std::vector<LinkChange> changes;
        for (const double now : instants) {
            changes.push_back(link.step(now));
        }
        return changes;
    }
    void dropOut(const std::string& reason = "Input/output error") {
        device().fault = reason;
        ports.failing = {2};
    }
    void comeBack() {
        device().fault.clear();
        ports.failing.clear();
    }
    MemorySerialPort& device() { return ports.port(2); }
    int opens() const { return static_cast<int>(ports.opened.size()); }

    MemorySerialPorts ports;
    ReconnectingLink link{"Rotator"};
};

TEST_F(ReconnectingLinkTest, AFailedWriteIsReportedOnceAndNothingIsWrittenWhileLost) {
    ASSERT_TRUE(link.get()->write(std::string("W180 010\r")));
    dropOut();
    EXPECT_FALSE(link.get()->write(std::string("W181 010\r")));
    EXPECT_EQ(stepAt({100.0, 100.001, 101, 104.9}),
              (std::vector<LinkChange>{LinkChange::lost, LinkChange::none, LinkChange::none, LinkChange::none}));
    EXPECT_EQ(link.get(), nullptr);
    EXPECT_TRUE(link.lost());
    EXPECT_EQ(link.lostMessage(), "Rotator link lost (COM2: Input/output error). Reconnecting.");
    EXPECT_EQ(device().sentText(), "W180 010\r");
}

TEST_F(ReconnectingLinkTest, ALostLinkIsOpenedAgainEveryFiveSecondsUntilItWorks) {
    dropOut();
    link.get()->write(std::string("x"));
    EXPECT_EQ(link.step(100), LinkChange::lost);
    const int before = opens();
    EXPECT_EQ(link.step(104.999), LinkChange::none);
    EXPECT_EQ(opens(), before);  // the next attempt is due at 105
    EXPECT_EQ(stepAt({105, 107, 109.999, 110}), (std::vector<LinkChange>(4, LinkChange::none)));
    EXPECT_EQ(opens() - before, 2);  // at 105 and at 110
    comeBack();
    EXPECT_EQ(stepAt({114.999, 115, 115.5}),
              (std::vector<LinkChange>{LinkChange::none, LinkChange::restored, LinkChange::none}));
    EXPECT_EQ(link.restoredMessage(), "Rotator link restored.");
    ASSERT_NE(link.get(), nullptr);
    EXPECT_TRUE(link.get()->write(std::string("W180 010\r")));
    EXPECT_EQ(device().sentText(), "W180 010\r");
}

TEST_F(ReconnectingLinkTest, AHangUpIsLookedForOnceASecondWithoutAnyWrite) {
    EXPECT_EQ(link.step(100), LinkChange::none);
    device().fault = "Input/output error";
    EXPECT_EQ(stepAt({100.5, 100.999}), (std::vector<LinkChange>(2, LinkChange::none)));
    EXPECT_EQ(link.step(101), LinkChange::lost);
}

TEST_F(ReconnectingLinkTest, ALinkThatFailsAgainAtOnceIsNotRestored) {
    dropOut();
    link.get()->write(std::string("x"));
    link.step(100);
    ports.failing.clear();  // opens again, but the device is still gone
    EXPECT_EQ(link.step(105), LinkChange::none);
    EXPECT_EQ(link.get(), nullptr);
}

TEST_F(ReconnectingLinkTest, AClockSetBackDoesNotPostponeTheNextAttempt) {
    dropOut();
    link.get()->write(std::string("x"));
    link.step(3600);
    comeBack();
    // An hour back: the attempt due at 3605 is made at once.
    EXPECT_EQ(link.step(1), LinkChange::restored);
}

TEST_F(ReconnectingLinkTest, ALinkNeverOpenedOrClosedForGoodDoesNothing) {
    ReconnectingLink none("GPS");
    EXPECT_EQ(none.step(0), LinkChange::none);
    EXPECT_EQ(none.get(), nullptr);
    EXPECT_FALSE(none.lost());
    link.reset();
    dropOut();
    EXPECT_EQ(stepAt({0, 10, 20}), (std::vector<LinkChange>(3, LinkChange::none)));
}

TEST_F(ReconnectingLinkTest, AFailedReadFailsTheLinkToo) {
    device().feed("$GP");
    EXPECT_EQ(link.get()->read(), '$');
    device().fault = "No such device";
    EXPECT_EQ(link.get()->waiting(), 0);
    EXPECT_EQ(link.get()->read(), -1);
    EXPECT_EQ(link.step(0), LinkChange::lost);
    EXPECT_EQ(link.lostMessage(), "Rotator link lost (COM2: No such device). Reconnecting.");
}

}  // namespace
}  // namespace station
