#include "tracker/tuning.hpp"

#include "station/date_time.hpp"
#include "tracker/tests/radio_bench.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace station {
namespace {

namespace fs = std::filesystem;

std::string padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

const std::string arrowsText = "\x18 \x19 \x1A \x1B ";

struct TuningTest : ::testing::Test {
    TrackerRadioBench bench{"I"};
    TrackerState& s = bench.s;
    std::vector<std::string> messagesDuringPauses;

    void SetUp() override {
        s.station.tuningStepUpDown = 100;
        s.station.tuningStepLeftRight = 10;
        s.frequencies = FrequencyRecord{145900, 435800, "USB", "LSB", "0", 0};
        setClock(2026, 10, 1, 12, 0, 0);
        s.pass.year = 2026;
        s.pass.aos = s.now() + 10.0 / 1440;
        bench.mc.sleeper.onTime = [this](std::int64_t) {
            messagesDuringPauses.push_back(bench.mc.screen.rowText(24, 3, 79));
        };
    }

    void setClock(int year, int month, int day, int hour, int minute, int second) {
        bench.mc.clock.set(year, month, day, hour, minute, second);
        s.clock = readClock(bench.mc.clock, 0);
    }

    std::string tuningRow() const { return bench.mc.screen.rowText(24, 2, 78); }
    std::string uplinkField() const { return bench.mc.screen.rowText(24, 5, 15); }
    std::string downlinkField() const { return bench.mc.screen.rowText(24, 20, 30); }
};

TEST_F(TuningTest, EnterDrawsTheTuningLineAndTheStatus) {
    enterTuning(s);
    EXPECT_EQ(s.tuning.tuningMode, "R");
    EXPECT_EQ(bench.mc.screen.rowText(4, 40, 79), padded("Manual incremental tuning AO-7", 40));
    EXPECT_EQ(tuningRow(), "TX:  145900.00 RX:  435800.00 Tuning:R " + arrowsText + "TX RX Direct Inverse Save Exit");
    EXPECT_EQ(s.screen().cell(24, 1).character, ' ');
    EXPECT_EQ(s.screen().cell(24, 79).character, ' ');
}

TEST_F(TuningTest, ArrowsAndKeyLettersAreHighlighted) {
    enterTuning(s);
    const Screen& screen = s.screen();
    for (int column : {41, 42, 43, 44, 45, 46, 47, 48, 49, 52, 55, 62, 70, 75}) {
        EXPECT_EQ(screen.cell(24, column).foreground, 14) << "column " << column;
        EXPECT_EQ(screen.cell(24, column).background, 1) << "column " << column;
    }
    for (int column : {2, 5, 15, 20, 30, 39, 40, 50, 53, 56, 63, 71, 76, 78}) {
        EXPECT_EQ(screen.cell(24, column).foreground, 7) << "column " << column;
    }
    EXPECT_EQ(screen.foreground(), 7);
    EXPECT_EQ(screen.background(), 1);
}

TEST_F(TuningTest, PpmDataIsRefusedForTwoSeconds) {
    s.frequencies.noFrequencyData = 1;
    const auto start = bench.mc.clock.millis;
    enterTuning(s);
    EXPECT_EQ(s.tuning.tuningMode, "");
    ASSERT_EQ(messagesDuringPauses.size(), 1u);
    EXPECT_EQ(messagesDuringPauses[0],
              padded("Cannot tune PPM data!!!  KELVORIN.FRC file has no data for AO-7.", 77));
    EXPECT_EQ(bench.mc.clock.millis - start, 2000);
    EXPECT_EQ(bench.mc.screen.rowText(24, 2, 79), std::string(78, ' '));
}

TEST_F(TuningTest, UpAndLeftInModeRRaiseTheDownlinkByNinetyHertz) {
    enterTuning(s);
    tuningKey(s, keyUp);
    tuningKey(s, keyLeft);
    EXPECT_NEAR(s.frequencies.downlinkKhz - 435800, 0.09, 1e-6);
    EXPECT_EQ(s.frequencies.uplinkKhz, 145900);
    EXPECT_EQ(downlinkField(), "  435800.09");
    EXPECT_EQ(uplinkField(), "  145900.00");
}

TEST_F(TuningTest, InverseModeMovesTheLinksApart) {
    enterTuning(s);
    tuningKey(s, "I");
    tuningKey(s, keyUp);
    EXPECT_EQ(s.frequencies.uplinkKhz, 145900.0 - static_cast<double>(0.1f));
    EXPECT_EQ(s.frequencies.downlinkKhz, 435800.0 + static_cast<double>(0.1f));
    EXPECT_EQ(uplinkField(), "  145899.90");
    EXPECT_EQ(downlinkField(), "  435800.10");
}

TEST_F(TuningTest, EachModeMovesItsLinks) {
    s.tuning.tuningMode = "T";
    stepTuning(s, -0.5);
    EXPECT_EQ(s.frequencies.uplinkKhz, 145899.5);
    EXPECT_EQ(s.frequencies.downlinkKhz, 435800);
    s.tuning.tuningMode = "R";
    stepTuning(s, 0.25);
    EXPECT_EQ(s.frequencies.uplinkKhz, 145899.5);
    EXPECT_EQ(s.frequencies.downlinkKhz, 435800.25);
    s.tuning.tuningMode = "D";
    stepTuning(s, 1);
    EXPECT_EQ(s.frequencies.uplinkKhz, 145900.5);
    EXPECT_EQ(s.frequencies.downlinkKhz, 435801.25);
    s.tuning.tuningMode = "I";
    stepTuning(s, -2);
    EXPECT_EQ(s.frequencies.uplinkKhz, 145902.5);
    EXPECT_EQ(s.frequencies.downlinkKhz, 435799.25);
    EXPECT_EQ(uplinkField(), "  145902.50");
    EXPECT_EQ(downlinkField(), "  435799.25");
}

TEST_F(TuningTest, LettersSelectTheModeAndShowIt) {
    enterTuning(s);
    tuningKey(s, "D");
    EXPECT_EQ(s.tuning.tuningMode, "D");
    EXPECT_EQ(bench.mc.screen.rowText(24, 39, 39), "D");
    tuningKey(s, "i");
    EXPECT_EQ(s.tuning.tuningMode, "I");
    EXPECT_EQ(bench.mc.screen.rowText(24, 39, 39), "I");
    tuningKey(s, "r");
    EXPECT_EQ(s.tuning.tuningMode, "R");
    EXPECT_EQ(bench.mc.screen.rowText(24, 39, 39), "R");
    EXPECT_EQ(s.screen().cell(24, 39).foreground, 7);
}

TEST_F(TuningTest, TAndOtherKeysAreNotTuningKeys) {
    // "T" belongs to the command keys: entering tuning with it must not switch to TX at once.
    enterTuning(s);
    const std::string before = tuningRow();
    for (const std::string& key : std::vector<std::string>{"T", "X", "Q", "H", std::string{'\0', 'G'}}) {
        tuningKey(s, key);
    }
    EXPECT_EQ(s.tuning.tuningMode, "R");
    EXPECT_EQ(tuningRow(), before);
    EXPECT_EQ(s.frequencies.downlinkKhz, 435800);
}

TEST_F(TuningTest, ExitMoreThanTwoMinutesBeforeAosShowsWaiting) {
    enterTuning(s);
    tuningKey(s, keyUp);
    tuningKey(s, "e");
    EXPECT_EQ(s.tuning.tuningMode, "");
    EXPECT_EQ(bench.mc.screen.rowText(4, 40, 79), padded("Waiting for AO-7", 40));
    EXPECT_EQ(bench.mc.screen.rowText(24, 2, 79), std::string(78, ' '));
    // The tuned frequency stays for the rest of the pass.
    EXPECT_EQ(s.frequencies.downlinkKhz, 435800.0 + static_cast<double>(0.1f));
}

TEST_F(TuningTest, ExitWithinTwoMinutesOfAosShowsTracking) {
    s.pass.aos = s.now() + 100.0 / 86400;
    enterTuning(s);
    tuningKey(s, "E");
    EXPECT_EQ(bench.mc.screen.rowText(4, 40, 79), padded("Tracking AO-7", 40));

    s.pass.aos = s.now() + 140.0 / 86400;
    enterTuning(s);
    tuningKey(s, "E");
    EXPECT_EQ(bench.mc.screen.rowText(4, 40, 79), padded("Waiting for AO-7", 40));

    s.pass.aos = s.now() - 0.01;
    enterTuning(s);
    tuningKey(s, "E");
    EXPECT_EQ(bench.mc.screen.rowText(4, 40, 79), padded("Tracking AO-7", 40));
}

TEST_F(TuningTest, ExitComparesAcrossTheTurnOfTheYear) {
    // The pass was found in 2026 and rises at 00:01 on 1 January 2027 (day 366 of 2026).
    setClock(2027, 1, 1, 0, 0, 30);
    s.pass.year = 2026;
    s.pass.aos = 366.0 + 1.0 / 1440;
    enterTuning(s);
    tuningKey(s, "E");
    EXPECT_EQ(bench.mc.screen.rowText(4, 40, 79), padded("Tracking AO-7", 40));
}

const std::string frequencyFile =
    "; Station frequencies, kHz\r\n"
    "SO-50\r\n"
    "145850\r\n"
    "436795\r\n"
    "FM\r\n"
    "FM\r\n"
    "67.0\r\n"
    "AO-7\r\n"
    "; uplink as measured\r\n"
    "145900\r\n"
    ";downlink\r\n"
    "; two comments\r\n"
    "435100.00\r\n"
    "LSB\r\n"
    "USB\r\n"
    "0\r\n"
    "AO-7~B\r\n"
    "432150\r\n"
    "145950\r\n"
    "USB\r\n"
    "LSB\r\n"
    "0\r\n"
    "PARK\r\n"
    "145900\r\n"
    "435100\r\n"
    "FM\r\n"
    "FM\r\n"
    "0\r\n";

struct TuningSaveTest : TuningTest {
    void SetUp() override {
        TuningTest::SetUp();
        bench.dir.write("KELVORIN.FRC", frequencyFile);
        enterTuning(s);
    }

    std::vector<std::string> directoryListing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(bench.dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void expectRefusedWith(const std::string& message) {
        ASSERT_EQ(messagesDuringPauses.size(), 1u);
        EXPECT_EQ(messagesDuringPauses[0], padded(message, 77));
        // Tuning goes on, its line back in place.
        EXPECT_EQ(s.tuning.tuningMode, "R");
        EXPECT_EQ(tuningRow(), "TX:  145800.00 RX:  435250.13 Tuning:R " + arrowsText +
                                   "TX RX Direct Inverse Save Exit");
        EXPECT_EQ(s.screen().cell(24, 75).foreground, 14);
    }
};

std::string withAo7Values(const std::string& uplink, const std::string& downlink) {
    std::string expected = frequencyFile;
    expected.replace(expected.find("145900\r\n;downlink"), 6, uplink);
    expected.replace(expected.find("435100.00"), 9, downlink);
    return expected;
}

TEST_F(TuningSaveTest, SaveRoundsAndReplacesTheValuesInPlace) {
    s.frequencies.uplinkKhz = 145800.004;
    s.frequencies.downlinkKhz = 435250.125;
    tuningKey(s, "S");
    EXPECT_EQ(bench.dir.read("KELVORIN.FRC"), withAo7Values("145800", "435250.13"));
    EXPECT_EQ(s.tuning.tuningMode, "R");
    EXPECT_TRUE(messagesDuringPauses.empty());
    // A save that worked leaves the tuning line as it was.
    EXPECT_EQ(tuningRow(), "TX:  145900.00 RX:  435800.00 Tuning:R " + arrowsText + "TX RX Direct Inverse Save Exit");
}

TEST_F(TuningSaveTest, SaveOfASuffixedDesignationTouchesOnlyItsEntry) {
    s.selection.satelliteDesignation = "AO-7~B";
    s.frequencies.uplinkKhz = 432150.55;
    s.frequencies.downlinkKhz = 145949.45;
    saveTuning(s);
    std::string expected = frequencyFile;
    expected.replace(expected.find("432150"), 6, "432150.55");
    expected.replace(expected.find("145950"), 6, "145949.45");
    EXPECT_EQ(bench.dir.read("KELVORIN.FRC"), expected);
}

TEST_F(TuningSaveTest, SaveLeavesNoTemporaryFileAndRunsNoCommand) {
    s.frequencies.uplinkKhz = 145901;
    saveTuning(s);
    EXPECT_EQ(directoryListing(), std::vector<std::string>{"KELVORIN.FRC"});
    EXPECT_TRUE(bench.mc.commands.ran.empty());
}

TEST_F(TuningSaveTest, SaveKeepsTheFileNameAndItsPermissions) {
    fs::rename(bench.dir.path() / "KELVORIN.FRC", bench.dir.path() / "Kelvorin.Frc");
    fs::permissions(bench.dir.path() / "Kelvorin.Frc", fs::perms::owner_read | fs::perms::owner_write |
                                                           fs::perms::group_read);
    s.frequencies.uplinkKhz = 145901;
    saveTuning(s);
    EXPECT_EQ(directoryListing(), std::vector<std::string>{"Kelvorin.Frc"});
    EXPECT_EQ(bench.dir.read("Kelvorin.Frc"), withAo7Values("145901", "435800"));
    EXPECT_EQ(fs::status(bench.dir.path() / "Kelvorin.Frc").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(TuningSaveTest, MissingNameLineLeavesTheFileUntouched) {
    s.frequencies.uplinkKhz = 145800.004;
    s.frequencies.downlinkKhz = 435250.125;
    s.selection.satelliteDesignation = "FO-29";
    tuningKey(s, "S");
    EXPECT_EQ(bench.dir.read("KELVORIN.FRC"), frequencyFile);
    expectRefusedWith("KELVORIN.FRC has no entry for FO-29. Tuning not saved.");
}

TEST_F(TuningSaveTest, MissingFileIsNotCreated) {
    fs::remove(bench.dir.path() / "KELVORIN.FRC");
    s.frequencies.uplinkKhz = 145800.004;
    s.frequencies.downlinkKhz = 435250.125;
    saveTuning(s);
    EXPECT_TRUE(directoryListing().empty());
    expectRefusedWith("Could not read KELVORIN.FRC. Tuning not saved.");
}

TEST_F(TuningSaveTest, ReadOnlyFileIsNotRewritten) {
    const fs::path path = bench.dir.path() / "KELVORIN.FRC";
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    s.frequencies.uplinkKhz = 145800.004;
    s.frequencies.downlinkKhz = 435250.125;
    saveTuning(s);
    EXPECT_EQ(bench.dir.read("KELVORIN.FRC"), frequencyFile);
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(directoryListing(), std::vector<std::string>{"KELVORIN.FRC"});
    expectRefusedWith("Could not write KELVORIN.FRC. Tuning not saved.");
}

TEST_F(TuningSaveTest, UnwritableDirectoryLeavesTheFileIntact) {
    const fs::path path = bench.dir.path() / "KELVORIN.FRC";
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
    fs::permissions(bench.dir.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    s.frequencies.uplinkKhz = 145800.004;
    s.frequencies.downlinkKhz = 435250.125;
    if (::geteuid() == 0) {
        // The superuser writes into any directory: save as an ordinary user in a child process.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const uid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
                ::_exit(3);
            }
            saveTuning(s);
            const bool reported = messagesDuringPauses.size() == 1 &&
                                  messagesDuringPauses[0] ==
                                      padded("Could not write KELVORIN.FRC. Tuning not saved.", 77);
            ::_exit(reported ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    } else {
        saveTuning(s);
        expectRefusedWith("Could not write KELVORIN.FRC. Tuning not saved.");
    }
    fs::permissions(bench.dir.path(), fs::perms::owner_all);
    EXPECT_EQ(bench.dir.read("KELVORIN.FRC"), frequencyFile);
    EXPECT_EQ(directoryListing(), std::vector<std::string>{"KELVORIN.FRC"});
}

TEST_F(TuningSaveTest, ArrowStepsThenSaveStoreTheTunedValues) {
    tuningKey(s, keyUp);
    tuningKey(s, keyUp);
    tuningKey(s, keyLeft);
    tuningKey(s, "S");
    EXPECT_EQ(bench.dir.read("KELVORIN.FRC"), withAo7Values("145900", "435800.19"));
}

}  // namespace
}  // namespace station
