#include "console/testsupport/memory.hpp"
#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace station {
namespace {

class MemoryBackend : public ::testing::Test {
protected:
    testing::StationDir dir;
    MemoryConsole mc{dir.path()};
};

TEST_F(MemoryBackend, ClockReadsTheFieldsItWasSetTo) {
    mc.clock.set(2026, 10, 1, 12, 34, 56);
    const LocalTime now = mc.clock.now();
    EXPECT_EQ(now.year, 2026);
    EXPECT_EQ(now.month, 10);
    EXPECT_EQ(now.day, 1);
    EXPECT_EQ(now.hour, 12);
    EXPECT_EQ(now.minute, 34);
    EXPECT_EQ(now.second, 56);
    mc.clock.millis += 3999;
    EXPECT_EQ(mc.clock.now().second, 59);
    mc.clock.millis += 1;
    EXPECT_EQ(mc.clock.now().minute, 35);
    EXPECT_EQ(mc.clock.now().second, 0);
}

TEST_F(MemoryBackend, ScriptedKeysComeInOrderThenNothing) {
    mc.keyboard.push("a");
    mc.keyboard.push(keyUp);
    EXPECT_TRUE(mc.keyboard.keyWaiting());
    EXPECT_EQ(mc.keyboard.readKey(), "a");
    EXPECT_EQ(mc.keyboard.readKey(), keyUp);
    EXPECT_FALSE(mc.keyboard.keyWaiting());
    EXPECT_EQ(mc.keyboard.readKey(), "");
}

TEST_F(MemoryBackend, TypedTextIsOneKeyPerCharacterAndEnter) {
    mc.keyboard.type("AO-7");
    std::vector<std::string> keys;
    for (std::string key = mc.keyboard.readKey(); !key.empty(); key = mc.keyboard.readKey()) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"A", "O", "-", "7", "\r"}));
}

TEST_F(MemoryBackend, TimedKeyWaitsForItsTime) {
    mc.clock.millis = 1000;
    mc.keyboard.pushAt(1500, "q");
    EXPECT_FALSE(mc.keyboard.keyWaiting());
    EXPECT_EQ(mc.keyboard.readKey(), "");
    mc.sleeper.sleepMs(499, false);
    EXPECT_FALSE(mc.keyboard.keyWaiting());
    mc.sleeper.sleepMs(1, false);
    EXPECT_EQ(mc.keyboard.readKey(), "q");
}

TEST_F(MemoryBackend, SleepAdvancesTheClockAndIsRecorded) {
    mc.sleeper.recordSleeps = true;
    std::vector<std::int64_t> seen;
    mc.sleeper.onTime = [&](std::int64_t millis) { seen.push_back(millis); };
    mc.sleeper.sleepMs(200, false);
    mc.sleeper.sleepMs(1, false);
    EXPECT_EQ(mc.clock.millis, 201);
    EXPECT_EQ(mc.sleeper.sleeps, (std::vector<int>{200, 1}));
    EXPECT_EQ(seen, (std::vector<std::int64_t>{200, 201}));
}

TEST_F(MemoryBackend, SleepWithoutEndOnKeyIgnoresKeys) {
    mc.keyboard.push("x");
    mc.keyboard.pushAt(500, "y");
    mc.sleeper.sleepMs(2000, false);
    EXPECT_EQ(mc.clock.millis, 2000);
    EXPECT_EQ(mc.keyboard.readKey(), "x");
}

TEST_F(MemoryBackend, WaitingKeyEndsASleepAtOnceAndStaysWaiting) {
    mc.keyboard.push("x");
    mc.sleeper.sleepMs(2000, true);
    EXPECT_EQ(mc.clock.millis, 0);
    EXPECT_EQ(mc.keyboard.readKey(), "x");
}

TEST_F(MemoryBackend, KeyArrivingDuringASleepEndsItThen) {
    mc.keyboard.pushAt(700, "y");
    mc.sleeper.sleepMs(2000, true);
    EXPECT_EQ(mc.clock.millis, 700);
    EXPECT_TRUE(mc.keyboard.keyWaiting());
    EXPECT_EQ(mc.keyboard.readKey(), "y");
}

TEST_F(MemoryBackend, NegativeSleepNeverTurnsTheClockBack) {
    mc.clock.millis = 5000;
    mc.sleeper.sleepMs(-300, false);
    EXPECT_EQ(mc.clock.millis, 5000);
}

TEST_F(MemoryBackend, TimeLimitEndsALoopThatWouldNeverEnd) {
    mc.sleeper.limitMillis = 10'000;
    int passes = 0;
    EXPECT_THROW(
        for (;;) {
            ++passes;
            mc.sleeper.sleepMs(1, false);
        },
        SimulatedTimeExhausted);
    EXPECT_EQ(passes, 10'001);
}

TEST_F(MemoryBackend, SerialPortsRecordWhatIsSentAndFeedWhatIsRead) {
    auto port = mc.serialPorts.open(2, 115200);
    ASSERT_NE(port, nullptr);
    port->write(std::string("W210 120\r", 9));
    const std::uint8_t frame[] = {0x00, 0x0A, 0x0D, 0x11, 0x13, 0xFF};
    port->write(frame);
    EXPECT_EQ(mc.serialPorts.port(2).sentText(), std::string("W210 120\r\x00\x0A\x0D\x11\x13\xFF", 15));
    EXPECT_EQ(mc.serialPorts.bauds.at(2), 115200);
    EXPECT_EQ(port->waiting(), 0);
    EXPECT_EQ(port->read(), -1);
    mc.serialPorts.port(2).feed("$G");
    EXPECT_EQ(port->waiting(), 2);
    EXPECT_EQ(port->read(), '$');
    EXPECT_EQ(port->read(), 'G');
    EXPECT_EQ(port->read(), -1);
}

TEST_F(MemoryBackend, PortRecordingOutlivesTheProgramsPortAndReopening) {
    mc.serialPorts.open(3, 9600)->write(std::string("FA;"));
    mc.serialPorts.open(3, 9600)->write(std::string("FB;"));
    EXPECT_EQ(mc.serialPorts.port(3).sentText(), "FA;FB;");
}

TEST_F(MemoryBackend, FailingPortDoesNotOpen) {
    mc.serialPorts.failing = {7};
    EXPECT_EQ(mc.serialPorts.open(7, 4800), nullptr);
    EXPECT_EQ(mc.serialPorts.bauds.count(7), 0u);
}

TEST_F(MemoryBackend, CommandsAndPortOutputsAreRecorded) {
    mc.commands.action = [](const std::vector<std::string>& argv) { return argv.size() == 2 ? 3 : 0; };
    EXPECT_EQ(mc.commands.run({"/bin/sh", "ISS.BAT"}), 3);
    EXPECT_EQ(mc.commands.ran, (std::vector<std::vector<std::string>>{{"/bin/sh", "ISS.BAT"}}));
    EXPECT_TRUE(mc.ports.output(0x378, 0x5A));
    mc.ports.allowed = false;
    EXPECT_FALSE(mc.ports.output(0x378, 0x00));
    EXPECT_EQ(mc.ports.writes, (std::vector<std::pair<int, std::uint8_t>>{{0x378, 0x5A}}));
}

TEST_F(MemoryBackend, WaitForKeySleepsUntilTheKey) {
    mc.keyboard.pushAt(5, "k");
    mc.sleeper.recordSleeps = true;
    EXPECT_EQ(waitForKey(mc.console), "k");
    // One wait for the clock's next second, which the key ended.
    EXPECT_EQ(mc.sleeper.waits, (std::vector<std::int64_t>{1000}));
    EXPECT_EQ(mc.clock.millis, 5);
    EXPECT_TRUE(mc.sleeper.sleeps.empty());
}

TEST_F(MemoryBackend, AWaitForKeyWithALimitEndsAfterThatManyClockSeconds) {
    mc.clock.set(2026, 10, 1, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    EXPECT_EQ(waitForKey(mc.console, 60), "");
    EXPECT_EQ(mc.clock.millis, start + 60'000);

    mc.keyboard.pushAt(mc.clock.millis + 59'999, "k");
    EXPECT_EQ(waitForKey(mc.console, 60), "k");
}

TEST_F(MemoryBackend, AWaitForKeyWithALimitIsNotStretchedByAClockSetBack) {
    mc.clock.set(2026, 10, 1, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    mc.sleeper.onTime = [&](std::int64_t millis) {
        if (millis == start + 10'000) {
            mc.clock.millis -= 3'600'000;
        }
    };
    EXPECT_EQ(waitForKey(mc.console, 60), "");
    // A minute of clock time runs on either side of the step; the second in which the clock
    // went back counts for nothing.
    EXPECT_EQ(mc.clock.millis, start - 3'600'000 + 61'000);
}

TEST_F(MemoryBackend, AWaitForKeyWithALimitCountsASleepLongerThanAsked) {
    // A clock that runs on far past the next second during one sleep (a machine that stalled, a
    // sped-up clock) ends the wait after its minute, not after sixty more sleeps.
    mc.clock.set(2026, 10, 1, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    mc.sleeper.onTime = [&](std::int64_t millis) {
        if (millis == start + 1'000) {
            mc.clock.millis += 40'000;
        }
    };
    EXPECT_EQ(waitForKey(mc.console, 60), "");
    EXPECT_EQ(mc.clock.millis, start + 60'000);
}

TEST_F(MemoryBackend, JobLimitsAreRecorded) {
    mc.commands.run({"/bin/sh", "ISS.BAT"}, 4200);
    mc.commands.run({"/bin/sh", "SO-50.BAT"});
    EXPECT_EQ(mc.commands.limits, (std::vector<std::optional<std::int64_t>>{4200, std::nullopt}));
}

TEST_F(MemoryBackend, LineInputEchoesAtTheCursorAndHonoursBackspace) {
    mc.screen.locate(24, 10);
    for (const std::string& key : {std::string("I"), std::string("X"), std::string("\b"), keyUp, std::string("S"),
                                   std::string("S"), keyLeft, std::string("\r")}) {
        mc.keyboard.push(key);
    }
    EXPECT_EQ(readLineWithEcho(mc.console), "ISS");
    EXPECT_EQ(mc.screen.rowText(24, 10, 13), "ISS ");
    EXPECT_EQ(mc.screen.cursorColumn(), 13);
}

TEST_F(MemoryBackend, LineInputStopsTakingCharactersAtItsLength) {
    mc.keyboard.type("ABCDEF");
    EXPECT_EQ(readLineWithEcho(mc.console, 4), "ABCD");
    EXPECT_EQ(mc.screen.rowText(1, 1, 6), "ABCD  ");
}

}  // namespace
}  // namespace station
