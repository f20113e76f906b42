#include "console/headless.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

TEST(HeadlessConsole, TheClockHoldsOneReadingThatOnlyItsOwnWaitsMoveOn) {
    HeadlessConsole headless(".");
    Console& console = headless.console();
    const std::int64_t start = console.clock.epochMillis();
    EXPECT_EQ(start % 1000, 0);
    EXPECT_EQ(console.clock.epochMillis(), start);
    const WakeUp woken = console.sleeper.waitUntil(start + 2500);
    EXPECT_FALSE(woken.key || woken.fileChanged);
    EXPECT_EQ(console.clock.epochMillis(), start + 2500);
    console.sleeper.waitUntil(start);  // a deadline past never turns the clock back
    console.sleeper.sleepMs(500);
    EXPECT_EQ(console.clock.epochMillis(), start + 3000);
    EXPECT_EQ(waitForKey(console, 5), "");  // no key ever comes: the bounded wait gives up
    EXPECT_EQ(console.commands.run({"/bin/true"}), -1);
}

}  // namespace
}  // namespace station
