// The real waits and jobs: a pipe as the keyboard, the system clock, real child processes.
#include "console/job.hpp"
#include "console/serial.hpp"
#include "console/system_wait.hpp"
#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace station {
namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

class PipeKeyboard : public InputKeyboard {
public:
    PipeKeyboard() { EXPECT_EQ(::pipe2(ends_, O_NONBLOCK | O_CLOEXEC), 0); }
    ~PipeKeyboard() override {
        ::close(ends_[0]);
        ::close(ends_[1]);
    }
    void press(char key) { EXPECT_EQ(::write(ends_[1], &key, 1), 1); }
    std::string readKey() override {
        std::string key = keyWaiting() ? keys_.substr(0, 1) : "";
        keys_.erase(0, key.size());
        return key;
    }
    bool keyWaiting() override {
        for (char byte = 0; ::read(ends_[0], &byte, 1) == 1;) {
            keys_ += byte;
        }
        return !keys_.empty();
    }
    int descriptor() const override { return ends_[0]; }

private:
    int ends_[2] = {-1, -1};
    std::string keys_;
};

std::int64_t now() { return SystemClock().epochMillis(); }

// What runs `act` a little after the wait that follows has begun.
std::jthread soon(std::function<void()> act) {
    return std::jthread([act = std::move(act)] {
        std::this_thread::sleep_for(50ms);
        act();
    });
}

TEST(SystemWait, EndsAtItsDeadlineOnAKeyOrAChangeOfTheWatchedFileAndAPauseOnAKey) {
    testing::StationDir dir;
    Screen screen;
    PipeKeyboard keyboard;
    SystemSleeper sleeper(screen, keyboard, dir.path());
    sleeper.watchFile("KELVORIN.CMD");
    ASSERT_TRUE(sleeper.fileWatched());

    std::int64_t deadline = now() + 50;
    WakeUp seen = sleeper.waitUntil(deadline, {});
    EXPECT_GE(now(), deadline);
    EXPECT_FALSE(seen.key || seen.fileChanged);

    // A key pressed during a long wait ends it and stays to be read.
    const auto began = Steady::now();
    {
        auto presser = soon([&] { keyboard.press('M'); });
        seen = sleeper.waitUntil(now() + 600'000, {});
    }
    EXPECT_TRUE(seen.key);
    EXPECT_LT(Steady::now() - began, 10s);
    EXPECT_EQ(keyboard.readKey(), "M");
    // Not asked to end on a key, a wait lasts to its deadline.
    keyboard.press('A');
    deadline = now() + 30;
    EXPECT_FALSE(sleeper.waitUntil(deadline, {false, false}).key);
    EXPECT_GE(now(), deadline);
    EXPECT_EQ(keyboard.readKey(), "A");

    {
        auto writer = soon([&] { dir.write("KELVORIN.CMD", "ISS\r\n"); });
        seen = sleeper.waitUntil(now() + 600'000, {false, true});
    }
    EXPECT_TRUE(seen.fileChanged);
    // A pause leaves a change to the next wait, which reports it whatever it ends on.
    dir.write("KELVORIN.CMD", "SO-50\r\n");
    sleeper.sleepMs(1, false);
    EXPECT_TRUE(sleeper.waitUntil(now() + 10, {false, false}).fileChanged);

    // A pause lasts its time unless a key may end it (the scheduler's round).
    const auto paused = Steady::now();
    sleeper.sleepMs(40, false);
    EXPECT_GE(Steady::now() - paused, 40ms);
    {
        auto presser = soon([&] { keyboard.press('q'); });
        sleeper.sleepMs(600'000, true);
    }
    EXPECT_LT(Steady::now() - paused, 10s);
    EXPECT_EQ(keyboard.readKey(), "q");
}

// Setting the real clock in a test would disturb the whole machine, so the cancellation is
// checked by the kernel's contract instead: the wait's timer is on the wall clock, armed for an
// absolute instant with TFD_TIMER_CANCEL_ON_SET, which ends it when the clock is set.
TEST(SystemWait, SleepsOnAWallClockTimerThatASettingOfTheClockCancels) {
    Screen screen;
    PipeKeyboard keyboard;
    SystemSleeper sleeper(screen, keyboard, ".");
    sleeper.waitUntil(now() + 5, {});
    int cancellable = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fdinfo")) {
        std::ifstream info(entry.path());
        const std::string text((std::istreambuf_iterator<char>(info)), std::istreambuf_iterator<char>());
        if (text.find("clockid: 0\n") != std::string::npos && text.find("settime flags: 03\n") != std::string::npos) {
            ++cancellable;
        }
    }
    EXPECT_EQ(cancellable, 1);
}

TEST(Job, ReportsHowAChildEndedAndEndsOneThatOutlivesItsLimit) {
    EXPECT_EQ(runJob({"/bin/sh", "-c", "exit 3"}, std::nullopt), 3);
    EXPECT_EQ(runJob({"/bin/sh", "-c", "kill -TERM $$"}, 60), 128 + SIGTERM);
    EXPECT_EQ(runJob({"/nonexistent/job"}, std::nullopt), -1);
    const auto began = Steady::now();
    int seconds = 0;
    EXPECT_EQ(runJob({"/bin/sh", "-c", "sleep 30"}, 1, [&] { ++seconds; }), CommandProcessor::endedAtLimit);
    EXPECT_LT(Steady::now() - began, 10s);
    // A second's change always comes before the limit does.
    EXPECT_GE(seconds, 1);
}

}  // namespace
}  // namespace station
