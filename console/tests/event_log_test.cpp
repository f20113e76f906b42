#include "console/event_log.hpp"
#include "console/testsupport/memory.hpp"
#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace station {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        EXPECT_NE(end, std::string::npos) << "a line without its end: " << text.substr(start);
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

TEST(LogLine, IsoUtcTimeThenTheTextOnOneLine) {
    const LocalTime local{2026, 10, 1, 12, 0, 5};
    EXPECT_EQ(logLine(utcSecondsOf(local, 0), "Tracking AO-7"), "2026-10-01T12:00:05Z Tracking AO-7\n");
    // The clock's local time plus value 17, across the day, month and year.
    EXPECT_EQ(isoUtcText(utcSecondsOf({2026, 12, 31, 23, 30, 0}, 1.5f)), "2027-01-01T01:00:00Z");
    EXPECT_EQ(isoUtcText(utcSecondsOf({2026, 3, 1, 1, 0, 0}, -2)), "2026-02-28T23:00:00Z");
    EXPECT_EQ(isoUtcText(utcSecondsOf({2028, 2, 28, 22, 0, 0}, 5.5f)), "2028-02-29T03:30:00Z");
    // An offset that is no number moves nothing.
    EXPECT_EQ(isoUtcText(utcSecondsOf(local, std::numeric_limits<float>::quiet_NaN())), "2026-10-01T12:00:05Z");
    // Whatever a designation or a file holds, an event stays one line.
    EXPECT_EQ(logLine(0, "A\nB\rC\tD\x7f"), "1970-01-01T00:00:00Z A?B?C?D?\n");
}

class EventLogTest : public ::testing::Test {
protected:
    void SetUp() override { clock.set(2026, 10, 1, 12, 0, 0); }
    std::string logText() const { return dir.read("KELVORIN.LOG"); }

    testing::StationDir dir;
    Files files{dir.path()};
    MemoryClock clock;
    EventLog log{files, "KELVORIN.LOG", clock};
};

TEST_F(EventLogTest, LinesAreAppendedWithTheProgramsUtc) {
    dir.write("KELVORIN.LOG", "2026-09-30T23:00:00Z an earlier run\n");
    log.record("KELVORIN 4.1 dev started");
    log.setUtcOffsetHours(-2);  // a clock two hours ahead of UTC
    clock.millis += 61'000;
    log.record("Tracking ISS");
    EXPECT_EQ(logText(),
              "2026-09-30T23:00:00Z an earlier run\n"
              "2026-10-01T12:00:00Z KELVORIN 4.1 dev started\n"
              "2026-10-01T10:01:01Z Tracking ISS\n");
}

TEST_F(EventLogTest, FoundWhateverTheCaseOfItsNameAndRotatedBesideIt) {
    dir.write("kelvorin.log", "old\n");
    log.limitBytes = 50;
    log.record("first");
    EXPECT_EQ(dir.read("kelvorin.log"), "old\n2026-10-01T12:00:00Z first\n");
    log.record("second");
    EXPECT_EQ(dir.read("kelvorin.log.1"), "old\n2026-10-01T12:00:00Z first\n");
    EXPECT_EQ(dir.read("kelvorin.log"), "2026-10-01T12:00:00Z second\n");
    EXPECT_FALSE(dir.exists("KELVORIN.LOG"));
}

TEST_F(EventLogTest, RotatedWhenALineWouldPassTheLimitKeepingOneOlderFile) {
    log.limitBytes = 100;
    // Each line "2026-10-01T12:00:00Z event n\n" is 29 bytes.
    for (int i = 1; i <= 3; ++i) {
        log.record("event " + std::to_string(i));
    }
    EXPECT_EQ(logText().size(), 87u);
    EXPECT_FALSE(dir.exists("KELVORIN.LOG.1"));
    log.record("event 4");  // 116 bytes: over the limit, so it starts a new file
    EXPECT_EQ(dir.read("KELVORIN.LOG.1").size(), 87u);
    EXPECT_EQ(logText(), "2026-10-01T12:00:00Z event 4\n");
    for (int i = 5; i <= 8; ++i) {
        log.record("event " + std::to_string(i));
    }
    // The older file is replaced: events 1 to 3 are gone, 4 to 6 kept, 7 and 8 in the log.
    EXPECT_EQ(linesOf(dir.read("KELVORIN.LOG.1")),
              (std::vector<std::string>{"2026-10-01T12:00:00Z event 4", "2026-10-01T12:00:00Z event 5",
                                        "2026-10-01T12:00:00Z event 6"}));
    EXPECT_EQ(logText(), "2026-10-01T12:00:00Z event 7\n2026-10-01T12:00:00Z event 8\n");
    // A line longer than the limit still goes into an empty file, whole.
    log.limitBytes = 10;
    log.record("long");
    log.record("longer");
    EXPECT_EQ(dir.read("KELVORIN.LOG.1"), "2026-10-01T12:00:00Z long\n");
    EXPECT_EQ(logText(), "2026-10-01T12:00:00Z longer\n");
}

TEST_F(EventLogTest, TwoWritersNeverInterleaveOrCutALine) {
    constexpr int perWriter = 2000;
    auto writer = [this](char name) {
        MemoryClock ownClock;
        ownClock.set(2026, 10, 1, 12, 0, 0);
        EventLog own(files, "KELVORIN.LOG", ownClock);
        const std::string text(150, name);
        for (int i = 0; i < perWriter; ++i) {
            own.record(text);
        }
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();
    const std::vector<std::string> lines = linesOf(logText());
    ASSERT_EQ(lines.size(), 2u * perWriter);
    const std::set<std::string> whole{"2026-10-01T12:00:00Z " + std::string(150, 'a'),
                                      "2026-10-01T12:00:00Z " + std::string(150, 'b')};
    for (const std::string& line : lines) {
        ASSERT_TRUE(whole.contains(line)) << line;
    }
}

TEST_F(EventLogTest, RepeatedMessagesAreCountedAndEmptyOnesAreNoEvents) {
    for (int i = 0; i < 5; ++i) {
        log.message("Could not find command file. I'm trying again...");
        clock.millis += 2000;
        log.message("");
    }
    log.message("Reading GPS...");
    clock.millis += 1000;
    log.message("Reading GPS...");
    // An event that is not a message first says how often the messages came.
    log.record("Satellite ISS selected (KELVORIN.CMD)");
    // Shown again within its second: the screen redrawn, not counted.
    log.message("Reading GPS...");
    log.message("Reading GPS...");
    // A message still shown after ten minutes is logged again, with its count.
    for (int i = 0; i < 400; ++i) {
        log.message("Keps out of date!");
        clock.millis += 2000;
    }
    log.record("Idling");
    EXPECT_EQ(linesOf(logText()),
              (std::vector<std::string>{
                  "2026-10-01T12:00:00Z Could not find command file. I'm trying again...",
                  "2026-10-01T12:00:10Z Reading GPS...",
                  "2026-10-01T12:00:11Z Shown 4 more times since 2026-10-01T12:00:00Z: Could not find command file. "
                  "I'm trying again...",
                  "2026-10-01T12:00:11Z Shown 1 more time since 2026-10-01T12:00:10Z: Reading GPS...",
                  "2026-10-01T12:00:11Z Satellite ISS selected (KELVORIN.CMD)",
                  "2026-10-01T12:00:11Z Reading GPS...",
                  "2026-10-01T12:00:11Z Keps out of date!",
                  "2026-10-01T12:10:11Z Shown 300 more times since 2026-10-01T12:00:11Z: Keps out of date!",
                  "2026-10-01T12:13:31Z Shown 99 more times since 2026-10-01T12:10:11Z: Keps out of date!",
                  "2026-10-01T12:13:31Z Idling",
              }));
}

TEST_F(EventLogTest, TwoMessagesThatTakeTurnsAreCountedEachOnItsOwn) {
    for (int i = 0; i < 330; ++i) {
        log.message(i % 2 == 0 ? "Could not find command file. I'm trying again..."
                               : "Command file unaccessible at this moment. I'm trying again...");
        clock.millis += 2000;
    }
    const std::vector<std::string> lines = linesOf(logText());
    ASSERT_EQ(lines.size(), 4u) << logText();
    EXPECT_EQ(lines[2], "2026-10-01T12:10:00Z Shown 150 more times since 2026-10-01T12:00:00Z: Could not find "
                        "command file. I'm trying again...");
    EXPECT_EQ(lines[3], "2026-10-01T12:10:02Z Shown 150 more times since 2026-10-01T12:00:02Z: Command file "
                        "unaccessible at this moment. I'm trying again...");
}

TEST_F(EventLogTest, ManyDifferentMessagesKeepTheirCountsUntilForgotten) {
    // The tuning line changes with every key; only the latest texts are remembered.
    log.message("first");
    clock.millis += 1000;
    log.message("first");
    for (int i = 0; i < 20; ++i) {
        log.message("TX: " + std::to_string(145800 + i));
    }
    const std::vector<std::string> lines = linesOf(logText());
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[16], "2026-10-01T12:00:01Z Shown 1 more time since 2026-10-01T12:00:00Z: first");
    EXPECT_EQ(lines[21], "2026-10-01T12:00:01Z TX: 145819");
}

TEST_F(EventLogTest, ALogThatCannotBeWrittenIsReportedOnceAndTriedAgain) {
    fs::create_directory(dir.path() / "KELVORIN.LOG");
    EXPECT_EQ(log.takeFailureReport(), "");
    log.record("Tracking ISS");
    clock.millis += 60'000;
    log.message("Rotator link lost (COM2: Input/output error). Reconnecting.");
    EXPECT_EQ(log.takeFailureReport(), "Log KELVORIN.LOG not written (Is a directory); trying again later.");
    EXPECT_EQ(log.takeFailureReport(), "");
    log.record("LOS of ISS: end of pass");
    EXPECT_EQ(log.takeFailureReport(), "");

    fs::remove(dir.path() / "KELVORIN.LOG");
    clock.millis += 60'000;
    log.record("Idling");
    EXPECT_EQ(logText(), "2026-10-01T12:02:00Z Log not written since 2026-10-01T12:00:00Z (Is a directory): 3 events lost\n"
                         "2026-10-01T12:02:00Z Idling\n");
    // A later failure is reported again.
    fs::remove(dir.path() / "KELVORIN.LOG");
    fs::create_directory(dir.path() / "KELVORIN.LOG");
    log.record("Waiting for ISS");
    EXPECT_NE(log.takeFailureReport(), "");
}

TEST_F(EventLogTest, AFullDiskLosesEventsButNeverStopsTheProgram) {
    std::error_code error;
    fs::create_symlink("/dev/full", dir.path() / "KELVORIN.LOG", error);
    ASSERT_FALSE(error) << error.message();
    for (int i = 0; i < 100; ++i) {
        log.record("event");
    }
    EXPECT_EQ(log.takeFailureReport(), "Log KELVORIN.LOG not written (No space left on device); trying again later.");
    fs::remove(dir.path() / "KELVORIN.LOG");
    log.record("event");
    EXPECT_EQ(linesOf(logText()).front(),
              "2026-10-01T12:00:00Z Log not written since 2026-10-01T12:00:00Z (No space left on device): 100 events lost");
}

// A write the disk can take only part of leaves no cut line behind. In a child process, whose
// file size limit (the same partial write a full disk gives) cannot touch the test run.
TEST_F(EventLogTest, APartlyWrittenLineIsTakenBack) {
    dir.write("KELVORIN.LOG", "2026-09-30T23:00:00Z an earlier run\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{50, 50};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        log.record("a line that does not fit in what the limit leaves");
        ::_exit(log.takeFailureReport().empty() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failure was not reported";
    EXPECT_EQ(logText(), "2026-09-30T23:00:00Z an earlier run\n");
}

}  // namespace
}  // namespace station
