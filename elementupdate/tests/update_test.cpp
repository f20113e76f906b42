#include "elementupdate/update.hpp"

#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace station {
namespace {

using testing::StationDir;

// The merge line that follows the summary when every set came once.
std::string keptOnce(const std::string& file, int sets) {
    return file + ": " + std::to_string(sets) +
           " kept by catalogue number, 0 replaced by a newer epoch, 0 ignored as older, 0 of the same epoch "
           "taken from the later source\n";
}

// Downloads answered from a table; a URL not in it is a missing page.
struct TableDownloader : Downloader {
    std::map<std::string, SourceText> answers;
    std::vector<std::string> asked;
    SourceText download(const std::string& url, const std::string&) override {
        asked.push_back(url);
        const auto answer = answers.find(url);
        if (answer == answers.end()) {
            return SourceText::read("<html>Not Found</html>", 404);
        }
        return answer->second;
    }
};

constexpr std::string_view goodUrl = "https://example.org/amateur.txt";

// A station with the demo's files: KEPS.TXT as its element file, MIRADOS.CFG scheduling ISS,
// SO-50, AO-91 and AO-7, KELVORIN.CMD naming ISS.
class ElementUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"KELVORIN.CFG", "KEPS.TXT", "MIRADOS.CFG", "KELVORIN.CMD"}) {
            dir.copyDemo(name);
        }
        oldFile = dir.read("KEPS.TXT");
        // The same sets as a distributor names them, one of them newer.
        download = oldFile;
        download.replace(download.find("ISS\n"), 4, "ISS (ZARYA)             \n");
        downloader.answers[std::string(goodUrl)] = SourceText::read(download);
    }

    int run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        Files files(dir.path());
        now += runsApart;
        return runElementUpdate(args, files, downloader, now, out, err);
    }

    void expectUntouched() {
        EXPECT_EQ(dir.read("KEPS.TXT"), oldFile);
        EXPECT_FALSE(dir.exists("KEPS.TXT.BAK"));
    }

    // Element-file text holding only the named sets of the demo file.
    std::string onlySets(const std::vector<std::string>& names) {
        std::string text;
        for (const std::string& name : names) {
            const auto at = oldFile.find(name + "\n1 ");
            const auto end = oldFile.find('\n', oldFile.find('\n', oldFile.find('\n', at) + 1) + 1);
            text += oldFile.substr(at, end - at + 1);
        }
        return text;
    }

    StationDir dir;
    TableDownloader downloader;
    std::int64_t now = 1791000000;
    std::int64_t runsApart = 3 * 3600;  // past the time a cached download is used
    std::string oldFile;
    std::string download;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ElementUpdateTest, ReplacesTheFileRenamesAndKeepsTheBackup) {
    dir.write("ALIASES.TXT", "; distributor's names\nISS (ZARYA)=ISS\n");
    const std::string before = onlySets({"AO-7", "ISS"});
    dir.write("KEPS.TXT", before);
    ASSERT_EQ(run({"--aliases", "ALIASES.TXT", std::string(goodUrl)}), 0) << err.str();
    EXPECT_EQ(
        out.str(),
        "KEPS.TXT: 25 sets written, 1 renamed, 0 skipped as invalid, previous file kept as KEPS.TXT.BAK\n" +
            keptOnce("KEPS.TXT", 25));
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(dir.read("KEPS.TXT.BAK"), before);
    EXPECT_EQ(dir.read("KEPS.TXT"), oldFile);  // renamed back to the station's names
    EXPECT_EQ(downloader.asked, std::vector<std::string>{std::string(goodUrl)});

    // Within two hours the download comes from the cache; the same sets leave file and backup.
    runsApart = 60 * 60;
    dir.write("KEPS.TXT.BAK", "the file before\n");
    ASSERT_EQ(run({"--aliases", "ALIASES.TXT", std::string(goodUrl)}), 0) << err.str();
    EXPECT_EQ(downloader.asked.size(), 1u);
    EXPECT_EQ(out.str(), std::string(goodUrl) +
                             ": fetched 60 minutes ago, taken from the cache (--force fetches it again)\n"
                             "KEPS.TXT: 25 sets, the same as before: not written, 1 renamed, 0 skipped as "
                             "invalid, backup left as it was\n" +
                             keptOnce("KEPS.TXT", 25));
    EXPECT_EQ(dir.read("KEPS.TXT.BAK"), "the file before\n");
}

TEST_F(ElementUpdateTest, MergesSourcesSkipsInvalidSetsAndReportsThem) {
    // A local file with a newer ISS set and a broken SO-50 set.
    const std::string newerIss1 = "1 25544U 98067A   26283.82140208  .00006479  00000+0  12652-3 0  9990";
    const std::string iss2 = "2 25544  51.6314  92.7969 0006774 242.6225 117.4075 15.48793003589525";
    const std::string brokenSo50 =
        "SO-50\n1 27607U 02058C   26274.42157801  .00000393  00000-0  64436-4 0  9990\n"
        "2 27607  64.5523 160.2499 0070977 242.8813 116.5042 14.83236109280217\n";
    dir.write("extra.txt", "ISS\n" + newerIss1 + "\n" + iss2 + "\n" + brokenSo50);
    dir.write("ALIASES.TXT", "ISS (ZARYA)=ISS\n");
    ASSERT_EQ(run({"--aliases=ALIASES.TXT", std::string(goodUrl), "extra.txt"}), 0) << err.str();
    EXPECT_EQ(
        out.str(),
        "KEPS.TXT: 25 sets written, 1 renamed, 1 skipped as invalid, previous file kept as KEPS.TXT.BAK\n"
        "KEPS.TXT: 25 kept by catalogue number, 1 replaced by a newer epoch, 0 ignored as older, 0 of the "
        "same epoch taken from the later source\n");
    EXPECT_EQ(
        err.str(),
        "kelvorin-elements: extra.txt line 4: SO-50: line 1 checksum is 8, column 69 says 0; set skipped\n");
    const std::string written = dir.read("KEPS.TXT");
    EXPECT_EQ(written.substr(0, 4 + 70), "ISS\n" + newerIss1 + "\n");
    EXPECT_NE(written.find("SO-50\n1 27607U 02058C   26274.42157801  .00000393  00000-0  64436-4 0  9998\n"),
              std::string::npos);
}

TEST_F(ElementUpdateTest, RefusesWhatLooksLikeAFailedDownload) {
    struct Case {
        SourceText answer;
        std::string message;
    };
    const Case cases[] = {
        {SourceText::failed("curl: (6) Could not resolve host: example.org"),
         "https://example.org/amateur.txt: download failed: curl: (6) Could not resolve host: example.org"},
        {SourceText::read(""), "https://example.org/amateur.txt is empty"},
        {SourceText::read("\r\n  \n"), "https://example.org/amateur.txt is empty"},
        {SourceText::read("[{\"OBJECT_NAME\": \"ISS\"}"),
         "https://example.org/amateur.txt: broken JSON document: parse error at line 1, column 24: syntax error "
         "while parsing array - unexpected end of input; expected ']'"},
        {SourceText::read("[{\"OBJECT_NAME\": \"AO-7\"}]"),
         "https://example.org/amateur.txt record 1: AO-7: no OBJECT_ID; record refused\nkelvorin-elements: "
         "https://example.org/amateur.txt holds no valid OMM JSON record"},
        {SourceText::read("<!DOCTYPE html>\n<html><body>Service unavailable</body></html>\n"),
         "https://example.org/amateur.txt holds no valid element sets (it begins \"<!DOCTYPE html>\")"},
    };
    for (const Case& c : cases) {
        downloader.answers[std::string(goodUrl)] = c.answer;
        EXPECT_EQ(run({std::string(goodUrl)}), 1) << c.message;
        EXPECT_EQ(err.str(),
                  "kelvorin-elements: " + c.message + "\nkelvorin-elements: KEPS.TXT not replaced\n");
        EXPECT_EQ(out.str(), "");
        expectUntouched();
    }
    // A good source does not make up for a failed one.
    downloader.answers["https://example.org/good.txt"] = SourceText::read(download);
    EXPECT_EQ(run({"https://example.org/good.txt", "https://example.org/missing.txt"}), 1);
    EXPECT_NE(
        err.str().find("missing.txt: download failed (HTTP 404)\n"),
        std::string::npos);
    expectUntouched();
    EXPECT_EQ(run({"no-such-file.txt"}), 1);
    EXPECT_NE(err.str().find("no-such-file.txt: cannot read it: No such file or directory"),
              std::string::npos);
    expectUntouched();
}

TEST_F(ElementUpdateTest, RefusesToDropASatelliteTheStationNames) {
    // Without its alias the distributor's "ISS (ZARYA)" is not the station's ISS.
    EXPECT_EQ(run({std::string(goodUrl)}), 1);
    EXPECT_EQ(err.str(),
              "kelvorin-elements: the new file would drop ISS (MIRADOS.CFG); --force replaces it "
              "anyway\nkelvorin-elements: KEPS.TXT not replaced\n");
    expectUntouched();

    // A download cut short after its first four sets loses six satellites of MIRADOS.CFG.
    downloader.answers[std::string(goodUrl)] =
        SourceText::read(onlySets({"ISS", "AO-123", "SO-50", "AO-91"}));
    EXPECT_EQ(run({std::string(goodUrl)}), 1);
    EXPECT_EQ(err.str(),
              "kelvorin-elements: the new file would drop AO-7 (MIRADOS.CFG), NOAA-15 (MIRADOS.CFG), NOAA-18 "
              "(MIRADOS.CFG), NOAA-19 (MIRADOS.CFG), METEOR-M2-3 (MIRADOS.CFG), AO-73 (MIRADOS.CFG); --force "
              "replaces it anyway\nkelvorin-elements: KEPS.TXT not replaced\n");
    expectUntouched();

    // The tracker's command file counts too, by the lookup name of its designation.
    dir.write("MIRADOS.CFG", "");
    dir.write("KELVORIN.CMD", "iss~aprs\r\nSO-50\r\n");
    downloader.answers[std::string(goodUrl)] = SourceText::read(onlySets({"SO-50", "AO-7"}));
    EXPECT_EQ(run({std::string(goodUrl)}), 1);
    EXPECT_NE(err.str().find("would drop ISS (KELVORIN.CMD);"), std::string::npos) << err.str();
    expectUntouched();

    // NONE names nothing.
    dir.write("KELVORIN.CMD", "none\n");
    EXPECT_EQ(run({std::string(goodUrl)}), 0) << err.str();
    EXPECT_EQ(dir.read("KEPS.TXT"), onlySets({"SO-50", "AO-7"}));
}

TEST_F(ElementUpdateTest, ForceReplacesDespiteDropsAndFailedSources) {
    downloader.answers[std::string(goodUrl)] = SourceText::read(onlySets({"ISS", "SO-50"}));
    ASSERT_EQ(run({"--force", "https://example.org/gone.txt", std::string(goodUrl)}), 0);
    EXPECT_EQ(
        out.str(),
        "KEPS.TXT: 2 sets written, 0 renamed, 0 skipped as invalid, previous file kept as KEPS.TXT.BAK\n" +
            keptOnce("KEPS.TXT", 2));
    EXPECT_NE(err.str().find("gone.txt: download failed (HTTP 404) (going on: --force)\n"), std::string::npos);
    EXPECT_NE(err.str().find("the new file would drop AO-91 (MIRADOS.CFG), AO-7 (MIRADOS.CFG)"),
              std::string::npos);
    EXPECT_EQ(dir.read("KEPS.TXT"), onlySets({"ISS", "SO-50"}));
    EXPECT_EQ(dir.read("KEPS.TXT.BAK"), oldFile);
}

TEST_F(ElementUpdateTest, NeverWritesAnEmptyFileEvenWhenForced) {
    EXPECT_EQ(run({"--force", "https://example.org/gone.txt"}), 1);
    EXPECT_NE(err.str().find(
                  "kelvorin-elements: no element sets to write\nkelvorin-elements: KEPS.TXT not replaced\n"),
              std::string::npos);
    expectUntouched();
}

TEST_F(ElementUpdateTest, ASatelliteMissingFromBothFilesIsOnlyNoted) {
    dir.write("KELVORIN.CMD", "XW-2C\n");
    downloader.answers[std::string(goodUrl)] = SourceText::read(oldFile);
    ASSERT_EQ(run({std::string(goodUrl)}), 0);
    EXPECT_EQ(err.str(),
              "kelvorin-elements: no element set in the old or the new file for XW-2C (KELVORIN.CMD)\n");
}

TEST_F(ElementUpdateTest, AFirstFileHasNoBackupAndTheFileKeepsItsCase) {
    std::filesystem::remove(dir.path() / "KEPS.TXT");
    ASSERT_EQ(run({std::string(goodUrl)}), 0) << err.str();
    EXPECT_EQ(out.str(), "KEPS.TXT: 25 sets written, 0 renamed, 0 skipped as invalid, no previous file\n" +
                             keptOnce("KEPS.TXT", 25));
    EXPECT_FALSE(dir.exists("KEPS.TXT.BAK"));

    std::filesystem::rename(dir.path() / "KEPS.TXT", dir.path() / "keps.txt");
    dir.write("keps.txt", dir.read("keps.txt") + "\n");  // not the same as the new file
    ASSERT_EQ(run({std::string(goodUrl)}), 0) << err.str();
    EXPECT_EQ(
        out.str(),
        "keps.txt: 25 sets written, 0 renamed, 0 skipped as invalid, previous file kept as keps.txt.BAK\n" +
            keptOnce("keps.txt", 25));
    EXPECT_TRUE(dir.exists("keps.txt.BAK"));
    EXPECT_FALSE(dir.exists("KEPS.TXT"));
}

TEST_F(ElementUpdateTest, StationFileAndAliasFileProblems) {
    dir.write("ALIASES.TXT", "ISS (ZARYA) ISS\n");
    EXPECT_EQ(run({"--aliases", "ALIASES.TXT", std::string(goodUrl)}), 1);
    EXPECT_EQ(err.str(),
              "kelvorin-elements: alias file ALIASES.TXT line 1: \"ISS (ZARYA) ISS\" is not DOWNLOADED "
              "NAME=STATION "
              "NAME\nkelvorin-elements: KEPS.TXT not replaced\n");
    EXPECT_EQ(run({"--aliases", "NOALIASES.TXT", std::string(goodUrl)}), 1);
    EXPECT_NE(err.str().find("alias file NOALIASES.TXT: cannot read it: No such file or directory"),
              std::string::npos);
    expectUntouched();
    EXPECT_TRUE(downloader.asked.empty());

    std::filesystem::remove(dir.path() / "KELVORIN.CFG");
    EXPECT_EQ(run({std::string(goodUrl)}), 1);
    EXPECT_EQ(err.str(), "kelvorin-elements: cannot find KELVORIN.CFG in " + dir.path().string() +
                             " (run kelvorin-elements in the station directory)\n");
    expectUntouched();
}

TEST_F(ElementUpdateTest, UsageErrorsAndHelp) {
    const std::vector<std::vector<std::string>> wrong = {
        {}, {"--force"}, {"--frobnicate", "x"}, {"-f", "x"}, {"x", "--aliases"}};
    for (const auto& args : wrong) {
        EXPECT_EQ(run(args), 2);
        EXPECT_NE(
            err.str().find("\nUsage: kelvorin-elements [--force] [--aliases FILE] [--help] SOURCE...\n"),
            std::string::npos);
        expectUntouched();
    }
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(out.str(), elementUpdateUsage);
    EXPECT_TRUE(downloader.asked.empty());
    // After "--" a source may begin with "-".
    dir.write("-sets.txt", oldFile);
    EXPECT_EQ(run({"--", "-sets.txt"}), 0) << err.str();
}

TEST(SatellitesNamed, LookupNamesOfBothFilesOnce) {
    StationDir dir;
    std::string mirados = "; scheduled\nISS\nao-7~ssb\n\n~odd\n";
    for (int i = 5; i <= 15; ++i) {
        mirados += "\n";
    }
    mirados += "; watched\nAO-7\nNOAA-19\n";
    dir.write("MIRADOS.CFG", mirados);
    dir.write("KELVORIN.CMD", "so-50~fm\n");
    std::string error;
    const std::vector<NamedSatellite> named = satellitesNamed(Files(dir.path()), error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(named.size(), 4u);
    EXPECT_EQ(named[0].lookupName, "ISS");
    EXPECT_EQ(named[1].lookupName, "AO-7");
    EXPECT_EQ(named[1].namedIn, "MIRADOS.CFG");
    EXPECT_EQ(named[2].lookupName, "NOAA-19");
    EXPECT_EQ(named[3].lookupName, "SO-50");
    EXPECT_EQ(named[3].namedIn, "KELVORIN.CMD");

    StationDir empty;
    EXPECT_TRUE(satellitesNamed(Files(empty.path()), error).empty());
    EXPECT_EQ(error, "");
}

}  // namespace
}  // namespace station
