#include "console/files.hpp"
#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace station {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class StationFiles : public ::testing::Test {
protected:
    testing::StationDir dir;
    Files files{dir.path()};
};

TEST_F(StationFiles, FoundWhateverTheCaseOfTheirNames) {
    dir.write("kelvorin.cfg", "a");
    dir.write("KEPS.TXT", "b");
    dir.write("Kelvorin.Frc", "c");
    EXPECT_EQ(files.find("KELVORIN.CFG"), dir.path() / "kelvorin.cfg");
    EXPECT_EQ(files.find("keps.txt"), dir.path() / "KEPS.TXT");
    EXPECT_EQ(files.find("KELVORIN.FRC"), dir.path() / "Kelvorin.Frc");
    EXPECT_EQ(files.find("kelvorin.frc"), dir.path() / "Kelvorin.Frc");
    EXPECT_EQ(files.find("KELVORIN.CMD"), std::nullopt);
}

TEST_F(StationFiles, TrailingBlanksAreNotPartOfAName) {
    dir.write("KEPS.TXT", "b");
    EXPECT_EQ(files.find("keps.txt   "), dir.path() / "KEPS.TXT");
    EXPECT_EQ(files.find(" KEPS.TXT"), std::nullopt);
    EXPECT_EQ(files.find("   "), std::nullopt);
    EXPECT_EQ(files.pathFor("NEW.DAT  "), dir.path() / "NEW.DAT");
}

TEST_F(StationFiles, DirectoryIsNotAFile) {
    fs::create_directory(dir.path() / "ROT.DAT");
    EXPECT_EQ(files.find("rot.dat"), std::nullopt);
    EXPECT_EQ(files.readText("ROT.DAT"), std::nullopt);
}

TEST_F(StationFiles, NewFileGetsTheGivenNameUnlessAnotherCaseExists) {
    EXPECT_EQ(files.pathFor("ROT.DAT"), dir.path() / "ROT.DAT");
    dir.write("radio.dat", "");
    EXPECT_EQ(files.pathFor("RADIO.DAT"), dir.path() / "radio.dat");
}

TEST_F(StationFiles, ReadingAcceptsEveryLineEnd) {
    dir.write("A.TXT", "one\r\ntwo\nthree\rfour");
    const auto text = files.readText("a.txt");
    ASSERT_TRUE(text.has_value());
    LineReader lines(splitLines(*text));
    EXPECT_EQ(lines.read(), "one");
    EXPECT_EQ(lines.read(), "two");
    EXPECT_EQ(lines.read(), "three");
    EXPECT_FALSE(lines.atEnd());
    EXPECT_EQ(lines.read(), "four");
    EXPECT_TRUE(lines.atEnd());
    EXPECT_EQ(lines.read(), "");
    EXPECT_EQ(lines.read(), "");
}

TEST_F(StationFiles, MissingFileGivesNothingToRead) {
    EXPECT_EQ(files.readText("NONE.TXT"), std::nullopt);
    EXPECT_FALSE(files.open("NONE.TXT").has_value());
}

TEST_F(StationFiles, TwoStepReadKeepsEveryByte) {
    const std::string content("\x00\xFF\r\n\x1A", 5);
    dir.write("BIN.DAT", content);
    auto in = files.open("bin.dat");
    ASSERT_TRUE(in.has_value());
    EXPECT_EQ(Files::readAll(*in), content);
}

TEST(SplitLines, EndsAndEmptyLines) {
    EXPECT_EQ(splitLines(""), std::vector<std::string>{});
    EXPECT_EQ(splitLines("x"), std::vector<std::string>{"x"});
    EXPECT_EQ(splitLines("x\r\n"), std::vector<std::string>{"x"});
    EXPECT_EQ(splitLines("\n"), std::vector<std::string>{""});
    EXPECT_EQ(splitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\r\rb\n\n"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(splitLines("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
}

TEST_F(StationFiles, ReplaceWritesTheWholeFileAndLeavesNoTemporary) {
    EXPECT_TRUE(files.replace("KELVORIN.FRC", "ISS\r\n145800\r\n"));
    EXPECT_EQ(dir.read("KELVORIN.FRC"), "ISS\r\n145800\r\n");
    EXPECT_TRUE(files.replace("KELVORIN.FRC", "short"));
    EXPECT_EQ(dir.read("KELVORIN.FRC"), "short");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"KELVORIN.FRC"});
}

TEST_F(StationFiles, ReplaceTakesTheFileOfAnotherCase) {
    dir.write("kelvorin.frc", "old");
    EXPECT_TRUE(files.replace("KELVORIN.FRC", "new"));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"kelvorin.frc"});
    EXPECT_EQ(dir.read("kelvorin.frc"), "new");
}

TEST_F(StationFiles, ReplaceKeepsThePermissions) {
    dir.write("KVFLIP.DAT", "0");
    fs::permissions(dir.path() / "KVFLIP.DAT", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(files.replace("KVFLIP.DAT", "1"));
    EXPECT_EQ(fs::status(dir.path() / "KVFLIP.DAT").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(StationFiles, FailedRenameLeavesTheOldStateAndNoTemporary) {
    // A directory in the file's place cannot be renamed over, even by root.
    fs::create_directory(dir.path() / "RADIO.DAT");
    dir.write("RADIO.DAT/keep", "x");
    EXPECT_FALSE(files.replace("RADIO.DAT", "145800 435250"));
    EXPECT_EQ(dir.read("RADIO.DAT/keep"), "x");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"RADIO.DAT"});
}

TEST_F(StationFiles, UnwritableDirectoryKeepsTheOldFile) {
    dir.write("KELVORIN.FRC", "old");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    if (::geteuid() == 0) {
        // The superuser writes into any directory: replace as an ordinary user in a child process.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const uid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
                ::_exit(3);
            }
            const WriteResult result = files.replace("KELVORIN.FRC", "new");
            ::_exit(result ? 1 : result.failure == "Permission denied" ? 0 : 2);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0)
            << "3: privileges could not be dropped, 1: the file was replaced, 2: another reason";
    } else {
        EXPECT_FALSE(files.replace("KELVORIN.FRC", "new"));
    }
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(dir.read("KELVORIN.FRC"), "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"KELVORIN.FRC"});
}

TEST_F(StationFiles, AFailedReplaceSaysWhy) {
    fs::create_directory(dir.path() / "ROT.DAT");
    const WriteResult result = files.replace("ROT.DAT", "AZ005 EL045\r\n");
    EXPECT_FALSE(result);
    EXPECT_EQ(result.failure, "Is a directory");
    const WriteResult written = files.replace("radio.dat", " 145900000 \r\n");
    EXPECT_TRUE(written);
    EXPECT_EQ(written.failure, "");
}

// A disk that fills while the new file is written: the write fails part way.
TEST_F(StationFiles, ADiskThatFillsLeavesTheOldFileWholeAndNoTemporary) {
    const std::string old = "AZ005 EL045\r\n";
    dir.write("ROT.DAT", old);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Files of this process may not grow beyond 8 bytes.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            ::_exit(3);
        }
        const WriteResult result = files.replace("ROT.DAT", std::string(4096, 'x'));
        ::_exit(!result && result.failure == "File too large" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: no file size limit, 1: not refused with the reason";
    EXPECT_EQ(dir.read("ROT.DAT"), old);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"ROT.DAT"});
}

TEST_F(StationFiles, RemoveFindsAnyCase) {
    dir.write("kelvorin.fbk", "x");
    EXPECT_TRUE(files.remove("KELVORIN.FBK"));
    EXPECT_FALSE(dir.exists("kelvorin.fbk"));
    EXPECT_FALSE(files.remove("KELVORIN.FBK"));
}

}  // namespace
}  // namespace station
