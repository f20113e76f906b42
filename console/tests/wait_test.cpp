// Waits that end on the first of a deadline, a key and a change of the watched station file: the
// kernel's watch of a real directory, and the in-memory wait in simulated time over it.
#include "console/file_watch.hpp"
#include "console/testsupport/memory.hpp"
#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace station {
namespace {

namespace fs = std::filesystem;

// Writes `content` under a temporary name and renames it over `name`, as editors and the
// scheduler replace a file.
void replaceByRename(const testing::StationDir& dir, std::string_view name, std::string_view content) {
    dir.write("NEW.TMP", content);
    fs::rename(dir.path() / "NEW.TMP", dir.path() / std::string(name));
}

TEST(FileWatch, SeesWritesRenamesOverAndRemovalsOfItsFileOnly) {
    testing::StationDir dir;
    dir.write("KELVORIN.CMD", "ISS\r\n");
    FileWatch watch;
    ASSERT_TRUE(watch.watch(dir.path(), "KELVORIN.CMD"));
    ASSERT_TRUE(watch.watching());
    EXPECT_GE(watch.descriptor(), 0);
    EXPECT_FALSE(watch.takeChanges());

    // Other files of the directory, however often written or replaced, are no change.
    dir.write("ROT.DAT", "1");
    replaceByRename(dir, "radio.dat", "2");
    EXPECT_FALSE(watch.takeChanges());

    replaceByRename(dir, "KELVORIN.CMD", "SO-50\r\n");
    EXPECT_TRUE(watch.takeChanges());
    EXPECT_FALSE(watch.takeChanges());  // taken

    dir.write("KELVORIN.CMD", "AO-91\r\n");
    EXPECT_TRUE(watch.takeChanges());
    fs::remove(dir.path() / "KELVORIN.CMD");
    EXPECT_TRUE(watch.takeChanges());
    // Created again in another case: still the command file.
    dir.write("kelvorin.cmd", "ISS\r\n");
    EXPECT_TRUE(watch.takeChanges());
}

TEST(FileWatch, AMissingDirectoryIsNoWatch) {
    testing::StationDir dir;
    FileWatch watch;
    EXPECT_FALSE(watch.watch(dir.path() / "gone", "KELVORIN.CMD"));
    EXPECT_FALSE(watch.watching());
    EXPECT_EQ(watch.descriptor(), -1);
    EXPECT_FALSE(watch.takeChanges());
}

TEST(FileWatch, NamesMatchInAnyCase) {
    EXPECT_TRUE(sameFileName("kelvorin.cmd", "KELVORIN.CMD"));
    EXPECT_TRUE(sameFileName("Kelvorin.Cmd", "KELVORIN.CMD"));
    EXPECT_FALSE(sameFileName("KELVORIN.CM", "KELVORIN.CMD"));
    EXPECT_FALSE(sameFileName("KELVORIN.CMD~", "KELVORIN.CMD"));
}

TEST(NextSecond, IsTheFirstMillisecondOfTheFollowingSecond) {
    EXPECT_EQ(nextSecondMillis(0), 1000);
    EXPECT_EQ(nextSecondMillis(999), 1000);
    EXPECT_EQ(nextSecondMillis(1000), 2000);
    EXPECT_EQ(nextSecondMillis(1'791'637'505'500), 1'791'637'506'000);
    EXPECT_EQ(nextSecondMillis(-1), 0);  // before 1970 the seconds still end at whole thousands
    EXPECT_EQ(nextSecondMillis(-1000), 0);
}

class MemoryWait : public ::testing::Test {
protected:
    testing::StationDir dir;
    MemoryConsole mc{dir.path()};
    void SetUp() override {
        dir.write("KELVORIN.CMD", "ISS\r\n");
        mc.sleeper.watchFile("KELVORIN.CMD");
        mc.sleeper.recordSleeps = true;
    }
};

TEST_F(MemoryWait, RunsToItsDeadlineInOneStepWhenNothingHappens) {
    ASSERT_TRUE(mc.sleeper.fileWatched());
    const WakeUp seen = mc.sleeper.waitUntil(1000, {true, true});
    EXPECT_FALSE(seen.key);
    EXPECT_FALSE(seen.fileChanged);
    EXPECT_EQ(mc.clock.millis, 1000);
    // A deadline already past does not wait, and never turns the clock back.
    mc.sleeper.waitUntil(400);
    EXPECT_EQ(mc.clock.millis, 1000);
    EXPECT_EQ(mc.sleeper.waits, (std::vector<std::int64_t>{1000, 400}));
    EXPECT_TRUE(mc.sleeper.sleeps.empty());
}

TEST_F(MemoryWait, AKeyEndsItWhenItArrivesAndStaysWaiting) {
    mc.keyboard.pushAt(350, "m");
    EXPECT_TRUE(mc.sleeper.waitUntil(1000).key);
    EXPECT_EQ(mc.clock.millis, 350);
    EXPECT_EQ(mc.keyboard.readKey(), "m");
    // A wait that does not end on keys runs past one.
    mc.keyboard.pushAt(600, "a");
    EXPECT_FALSE(mc.sleeper.waitUntil(1000, {false, false}).key);
    EXPECT_EQ(mc.clock.millis, 1000);
    EXPECT_EQ(mc.keyboard.readKey(), "a");
}

TEST_F(MemoryWait, AWatchedFileReplacedByRenameEndsItAtThatInstant) {
    std::vector<std::int64_t> seenAt;
    mc.sleeper.onTime = [&](std::int64_t millis) {
        seenAt.push_back(millis);
        if (millis == 120) {
            dir.write("ROT.DAT", "180\r\n");  // another file: no reason to wake
        }
        if (millis == 430) {
            replaceByRename(dir, "KELVORIN.CMD", "SO-50\r\n");
        }
    };
    const WakeUp seen = mc.sleeper.waitUntil(1000, {true, true});
    EXPECT_TRUE(seen.fileChanged);
    EXPECT_FALSE(seen.key);
    EXPECT_EQ(mc.clock.millis, 430);
    // While a test watches the time, every millisecond is gone through.
    ASSERT_EQ(seenAt.size(), 430u);
    EXPECT_EQ(seenAt.front(), 1);
    // The change is reported once.
    EXPECT_FALSE(mc.sleeper.waitUntil(1000, {true, true}).fileChanged);
    EXPECT_EQ(mc.clock.millis, 1000);
}

TEST_F(MemoryWait, AChangeThatDoesNotEndAWaitIsReportedWhenItEnds) {
    mc.sleeper.onTime = [&](std::int64_t millis) {
        if (millis == 200) {
            dir.write("KELVORIN.CMD", "NONE\r\n");
        }
    };
    const WakeUp seen = mc.sleeper.waitUntil(1000, {true, false});
    EXPECT_TRUE(seen.fileChanged);
    EXPECT_EQ(mc.clock.millis, 1000);
}

TEST_F(MemoryWait, AClockSetMeanwhileEndsIt) {
    mc.clock.millis = 10'000'000;
    mc.sleeper.onTime = [&](std::int64_t millis) {
        if (millis == 10'000'300) {
            mc.clock.millis -= 3'600'000;
        }
    };
    mc.sleeper.waitUntil(10'001'000);
    EXPECT_EQ(mc.clock.millis, 10'000'300 - 3'600'000);
}

TEST(MemoryWaitWithoutWatch, LastsAMillisecondWhenItShouldEndOnTheFile) {
    testing::StationDir dir;
    MemoryConsole mc{dir.path()};
    mc.sleeper.watchable = false;
    mc.sleeper.watchFile("KELVORIN.CMD");
    EXPECT_FALSE(mc.sleeper.fileWatched());
    // The caller looks at the file itself, once a millisecond as without any watch.
    EXPECT_FALSE(mc.sleeper.waitUntil(1000, {true, true}).fileChanged);
    EXPECT_EQ(mc.clock.millis, 1);
    mc.sleeper.waitUntil(1000, {true, false});
    EXPECT_EQ(mc.clock.millis, 1000);
}

}  // namespace
}  // namespace station
