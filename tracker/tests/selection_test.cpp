#include "tracker/screen.hpp"
#include "tracker/selection.hpp"
#include "tracker_fixture.hpp"

namespace station::trackertest {
namespace {

class SelectionTest : public TrackerTest {
protected:
    void SetUp() override {
        loadStation();
        drawScreen(s);
    }
    std::string selectionField() const { return mc.screen.rowText(22, 25, 36); }
};

TEST_F(SelectionTest, TakeDesignationUpperCasesAndCutsTheLookupNameAtTheFirstTilde) {
    struct Case {
        std::string text, designation, lookupName;
    };
    const std::vector<Case> cases = {
        {"ao-91", "AO-91", "AO-91"},
        {"ao-7~mode b", "AO-7~MODE B", "AO-7"},
        {"iss~aprs~2", "ISS~APRS~2", "ISS"},
        {"~fm", "~FM", ""},
        {"", "", ""},
        {"so-50 ", "SO-50 ", "SO-50 "},
        {"\xE9t\xE9-1", "\xE9T\xE9-1", "\xE9T\xE9-1"},  // only a-z change case
    };
    for (const Case& c : cases) {
        takeDesignation(s, c.text);
        EXPECT_EQ(s.selection.satelliteDesignation, c.designation) << c.text;
        EXPECT_EQ(s.selection.lookupName, c.lookupName) << c.text;
    }
}

struct CommandFileCase {
    std::string content, designation, lookupName;
};

TEST_F(SelectionTest, CommandFileFirstLineOnly) {
    const std::vector<CommandFileCase> cases = {
        {"ISS\r\n", "ISS", "ISS"},
        {"so-50~fm\r\nAO-91\r\n", "SO-50~FM", "SO-50"},
        {"AO-91\nISS\n", "AO-91", "AO-91"},
        {"AO-7\rISS\r", "AO-7", "AO-7"},
        {"AO-7", "AO-7", "AO-7"},
        {"AO-91 \r\n", "AO-91 ", "AO-91 "},
        {" ISS\r\n", " ISS", " ISS"},
        {"NONE\r\nISS\r\n", "", ""},
        {"none", "", ""},
        {"None \r\n", "NONE ", "NONE "},
        {"", "", ""},
        {"\r\nISS\r\n", "", ""},
        {"~fm\r\n", "~FM", ""},
    };
    for (const CommandFileCase& c : cases) {
        dir.write("KELVORIN.CMD", c.content);
        s.selection = {"OLD", "OLD"};
        pollCommandFile(s);
        EXPECT_EQ(s.selection.satelliteDesignation, c.designation) << c.content;
        EXPECT_EQ(s.selection.lookupName, c.lookupName) << c.content;
    }
    EXPECT_EQ(mc.clock.millis, 0);  // no failure, no pause
}

TEST_F(SelectionTest, CommandFileNameIsFoundInAnyCase) {
    dir.write("kelvorin.cmd", "ao-73\r\n");
    pollCommandFile(s);
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-73");
}

TEST_F(SelectionTest, MissingCommandFileGivesBothMessagesAndNoSatellite) {
    s.selection = {"ISS", "ISS"};
    std::map<std::int64_t, std::string> shown;
    mc.sleeper.recordSleeps = true;
    mc.sleeper.onTime = [&](std::int64_t millis) { shown[millis] = messageLine(); };
    tracker.serviceCommands();
    EXPECT_EQ(mc.sleeper.sleeps, (std::vector<int>{2000, 2000}));
    EXPECT_EQ(shown[2000], " Could not find command file. I'm trying again..." + std::string(29, ' '));
    EXPECT_EQ(shown[4000], " Command file unaccessible at this moment. I'm trying again..." + std::string(16, ' '));
    EXPECT_EQ(messageLine(), std::string(78, ' '));
    EXPECT_EQ(s.selection.satelliteDesignation, "");
    EXPECT_EQ(s.selection.lookupName, "");

    // The next poll finds the file written meanwhile.
    dir.write("KELVORIN.CMD", "AO-91\r\n");
    pollCommandFile(s);
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-91");
    EXPECT_EQ(mc.clock.millis, 4000);
}

TEST_F(SelectionTest, AnUnchangedCommandFileIsTakenFromTheLastReadForAWhileOnly) {
    dir.write("KELVORIN.CMD", "AO-91\r\n");
    pollCommandFile(s);
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-91");
    // While the file's identity, size and times stay, the line of the last read is used; a full
    // read every hundred polls would notice a rewrite that kept them.
    s.commandFile.firstLine = "KEPT";
    for (int poll = 1; poll < 100; ++poll) {
        pollCommandFile(s);
        ASSERT_EQ(s.selection.satelliteDesignation, "KEPT") << poll;
    }
    pollCommandFile(s);
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-91");

    dir.write("KELVORIN.CMD", "iss~aprs\r\n");
    pollCommandFile(s);
    EXPECT_EQ(s.selection.satelliteDesignation, "ISS~APRS");

    std::filesystem::remove(dir.path() / "KELVORIN.CMD");
    tracker.serviceCommands();
    EXPECT_EQ(s.selection.satelliteDesignation, "");
    EXPECT_EQ(mc.clock.millis, 4000);  // both messages
}

TEST_F(SelectionTest, CommandLineIsTakenOnceAndSwitchesTheCommandFileOff) {
    dir.write("KELVORIN.CMD", "ISS\r\n");
    s.commandLine = "ao-7~mode b";
    tracker.serviceCommands();
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-7~MODE B");
    EXPECT_EQ(s.selection.lookupName, "AO-7");
    EXPECT_EQ(s.commandLine, "");
    EXPECT_EQ(s.selectionMode, SelectionMode::commandLine);
    EXPECT_EQ(selectionField(), "Command Line");
    tracker.serviceCommands();
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-7~MODE B");
}

TEST_F(SelectionTest, ArgumentsAreJoinedWithSingleBlanks) {
    dir.write("KELVORIN.CFG", stationConfig());
    mc.keyboard.push("x");  // ends the KVFLIP.DAT message at once
    tracker.startUp({"ao-7~mode", "b", "x"});
    EXPECT_EQ(s.commandLine, "ao-7~mode b x");
    tracker.serviceCommands();
    EXPECT_EQ(s.selection.satelliteDesignation, "AO-7~MODE B X");
}

TEST_F(SelectionTest, EmptyArgumentsStillGetTheirBlanks) {
    dir.write("KELVORIN.CFG", stationConfig());
    mc.keyboard.push("x");
    tracker.startUp({"", "iss", ""});
    EXPECT_EQ(s.commandLine, " iss ");
    tracker.serviceCommands();
    EXPECT_EQ(s.selection.satelliteDesignation, " ISS ");
    EXPECT_EQ(s.selection.lookupName, " ISS ");
}

TEST_F(SelectionTest, WithoutArgumentsTheCommandFileIsPolled) {
    dir.write("KELVORIN.CFG", stationConfig());
    dir.write("KELVORIN.CMD", "so-50\r\n");
    mc.keyboard.push("x");
    tracker.startUp({});
    EXPECT_EQ(s.commandLine, "");
    tracker.serviceCommands();
    EXPECT_EQ(s.selection.satelliteDesignation, "SO-50");
    EXPECT_EQ(s.selectionMode, SelectionMode::commandFile);
    EXPECT_EQ(selectionField(), "Automatic   ");
}

TEST_F(SelectionTest, AskDesignationPromptsAndClearsThePromptAfterwards) {
    std::string prompt;
    mc.sleeper.onTime = [&](std::int64_t millis) {
        if (millis == 500) {
            prompt = mc.screen.rowText(24, 3, 60);
        }
    };
    for (char c : std::string("iss~aprs")) {
        mc.keyboard.pushAt(1000, std::string(1, c));
    }
    mc.keyboard.pushAt(1000, "\r");
    askDesignation(s);
    EXPECT_EQ(prompt, "Which satellite would you like to track? " + std::string(17, ' '));
    EXPECT_EQ(s.selection.satelliteDesignation, "ISS~APRS");
    EXPECT_EQ(s.selection.lookupName, "ISS");
    EXPECT_EQ(mc.screen.rowText(24), "\xBA" + std::string(78, ' ') + "\xBA");
}

TEST_F(SelectionTest, ATypedDesignationCannotRunIntoTheFrame) {
    mc.keyboard.type(std::string(60, 'a'));
    askDesignation(s);
    EXPECT_EQ(s.selection.satelliteDesignation, std::string(36, 'A'));
    EXPECT_EQ(mc.screen.cell(24, 80).character, 0xBA);
}

}  // namespace
}  // namespace station::trackertest
