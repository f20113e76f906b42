#include "elementupdate/element_sets.hpp"

#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace station {
namespace {

// Real sets: ISS and AO-7 of the demo station, RS-15 and IO-117 with older epochs.
const std::string issLine1 = "1 25544U 98067A   26282.82140208  .00006479  00000+0  12652-3 0  9999";
const std::string issLine2 = "2 25544  51.6314  92.7969 0006774 242.6225 117.4075 15.48793003589525";
const std::string ao7Line1 = "1 07530U 74089B   26266.86626550 -.00000026  00000+0  12979-3 0  9992";
const std::string ao7Line2 = "2 07530 101.9918 281.1438 0011971 303.9282 178.5058 12.53699707372880";
const std::string rs15Line1 = "1 23439U 94085A   24337.53552978 -.00000063  00000+0 -59356-3 0  9991";
const std::string rs15Line2 = "2 23439  64.8136 131.5204 0146469 111.4266 250.2352 11.27580452232571";
const std::string io117Line1 = "1 53106U 22080B   25167.32760529 -.00000003  00000-0  00000-0 0  9996";
const std::string io117Line2 = "2 53106  70.1560  65.9804 0008358  24.6429 335.4629  6.42557409 68669";

std::string demoElementFile() {
    std::ifstream in(testing::demoDir() / "KEPS.TXT", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The line with column `column` (from 1) replaced and its checksum made right again, so that
// only the defect under test is left.
std::string withColumn(std::string line, std::size_t column, char c) {
    line[column - 1] = c;
    line[68] = static_cast<char>('0' + elementLineChecksum(line));
    return line;
}

std::string set(const std::string& name, const std::string& line1, const std::string& line2) {
    return name + "\n" + line1 + "\n" + line2 + "\n";
}

TEST(ElementSetValidation, EveryRealSetIsValid) {
    const SourceSets demo = readElementSets(demoElementFile());
    EXPECT_EQ(demo.sets.size(), 25u);
    EXPECT_TRUE(demo.invalid.empty());
    EXPECT_EQ(demo.sets.front().name, "ISS");
    EXPECT_EQ(demo.sets.back().name, "CSS");
    for (const ElementSetLines& s : demo.sets) {
        EXPECT_EQ(elementLineChecksum(s.line1), s.line1[68] - '0') << s.name;
        EXPECT_EQ(elementLineChecksum(s.line2), s.line2[68] - '0') << s.name;
    }
    const SourceSets older =
        readElementSets(set("RS-15", rs15Line1, rs15Line2) + set("IO-117", io117Line1, io117Line2));
    EXPECT_EQ(older.sets.size(), 2u);
    EXPECT_TRUE(older.invalid.empty());
}

TEST(ElementSetValidation, ChecksumCountsDigitsAndMinusSignsOnly) {
    EXPECT_EQ(elementLineChecksum(issLine1), 9);
    // AO-7's negative drift adds 1 for its "-"; "+" and letters add nothing.
    EXPECT_EQ(elementLineChecksum(ao7Line1), 2);
    EXPECT_EQ(elementLineChecksum("1 A+-9"), (1 + 1 + 9) % 10);
    // Column 69 itself is not summed.
    EXPECT_EQ(elementLineChecksum(issLine1.substr(0, 68) + "7"), 9);
}

TEST(ElementSetValidation, EachDefectIsNamed) {
    struct Case {
        std::string line1, line2, problem;
    };
    const Case cases[] = {
        {issLine1.substr(0, 68), issLine2, "line 1 has 68 columns, not 69"},
        {issLine1, issLine2 + "0", "line 2 has 70 columns, not 69"},
        {issLine1.substr(0, 68) + "8", issLine2, "line 1 checksum is 9, column 69 says 8"},
        {issLine1, issLine2.substr(0, 68) + "X", "line 2 column 69 is not a checksum digit"},
        {withColumn(issLine1, 9, '0'), issLine2, "line 1 column 9 is not a blank"},
        {withColumn(issLine1, 64, '1'), issLine2, "line 1 column 64 is not a blank"},
        {withColumn(issLine1, 24, '0'), issLine2, "line 1 column 24 is not a decimal point"},
        {withColumn(issLine1, 35, '0'), issLine2, "line 1 column 35 is not a decimal point"},
        {issLine1, withColumn(issLine2, 8, '0'), "line 2 column 8 is not a blank"},
        {issLine1, withColumn(issLine2, 55, '0'), "line 2 column 55 is not a decimal point"},
        {issLine1, withColumn(issLine2, 7, '5'),
         "catalogue numbers differ (25544 in line 1, 25545 in line 2)"},
    };
    for (const Case& c : cases) {
        const SourceSets read = readElementSets(set("ISS", c.line1, c.line2));
        EXPECT_TRUE(read.sets.empty()) << c.problem;
        ASSERT_EQ(read.invalid.size(), 1u) << c.problem;
        EXPECT_EQ(read.invalid[0].problem, c.problem);
        EXPECT_EQ(read.invalid[0].name, "ISS");
        EXPECT_EQ(read.invalid[0].lineNumber, 1u);
    }
}

TEST(ElementSetValidation, LinesOutOfOrderOrMissing) {
    struct Case {
        std::string text;
        std::vector<std::string> problems;
    };
    const Case cases[] = {
        {issLine1 + "\n" + issLine2 + "\n", {"no name line"}},
        {"ISS\n" + issLine1 + "\nAO-7\n" + ao7Line1 + "\n" + ao7Line2 + "\n", {"line 2 missing"}},
        {"ISS\n" + issLine2 + "\n", {"line 1 missing"}},
        {"ISS\n" + issLine2 + "\n" + issLine1 + "\n", {"line 1 missing", "line 2 missing"}},
        {"ISS\nAO-7\n" + ao7Line1 + "\n" + ao7Line2 + "\n", {"element lines missing"}},
        // A download cut short: the last set ends inside its second line, or after its name.
        {set("AO-7", ao7Line1, ao7Line2) + "ISS\n" + issLine1 + "\n" + issLine2.substr(0, 30),
         {"line 2 has 30 columns, not 69"}},
        {set("AO-7", ao7Line1, ao7Line2) + "ISS\n", {"element lines missing"}},
    };
    for (const Case& c : cases) {
        const SourceSets read = readElementSets(c.text);
        ASSERT_EQ(read.invalid.size(), c.problems.size()) << c.text;
        for (std::size_t i = 0; i < c.problems.size(); ++i) {
            EXPECT_EQ(read.invalid[i].problem, c.problems[i]) << c.text;
        }
        // The valid set beside a broken one is kept.
        const bool hasAo7 = c.text.find(ao7Line2) != std::string::npos;
        EXPECT_EQ(read.sets.size(), hasAo7 ? 1u : 0u) << c.text;
    }
}

TEST(ElementSetValidation, LineEndsTrailingBlanksAndBlankLinesDoNotMatter) {
    const std::string padded = "ISS (ZARYA)             ";
    const std::string text = "\xEF\xBB\xBF" + padded + "\r\n" + issLine1 + "  \r\n\r\n" + issLine2 + "\t\r" +
                             "AO-7\r" + ao7Line1 + "\r" + ao7Line2;
    const SourceSets read = readElementSets(text);
    ASSERT_EQ(read.sets.size(), 2u);
    EXPECT_TRUE(read.invalid.empty());
    EXPECT_EQ(read.sets[0].name, "ISS (ZARYA)");
    EXPECT_EQ(read.sets[0].line1, issLine1);
    EXPECT_EQ(read.sets[0].line2, issLine2);
    EXPECT_EQ(read.sets[1].name, "AO-7");
}

TEST(ElementSetValidation, AnHtmlPageHoldsNoSets) {
    const SourceSets read = readElementSets(
        "<!DOCTYPE HTML>\n<html><head><title>Error 404</title></head>\n<body>Not found</body></html>\n");
    EXPECT_TRUE(read.sets.empty());
}

TEST(ElementSetAliases, RenameByDownloadedNameInAnyCase) {
    const AliasTable aliases = parseAliases(
        "; downloaded name = station name\n"
        "ISS (ZARYA)=ISS\r\n"
        "\n"
        "  oscar 7 (ao-7) = AO-7  \n"
        "ISS (ZARYA)=iss\n");
    ASSERT_EQ(aliases.error, "");
    ElementSetLines iss{"iss (zarya)", issLine1, issLine2};
    EXPECT_TRUE(applyAlias(aliases, iss));
    EXPECT_EQ(iss.name, "ISS");
    ElementSetLines ao7{"OSCAR 7 (AO-7)", ao7Line1, ao7Line2};
    EXPECT_TRUE(applyAlias(aliases, ao7));
    EXPECT_EQ(ao7.name, "AO-7");
    ElementSetLines other{"SO-50", issLine1, issLine2};
    EXPECT_FALSE(applyAlias(aliases, other));
    EXPECT_EQ(other.name, "SO-50");
    // A set that already has its station name is not counted as renamed.
    EXPECT_FALSE(applyAlias(aliases, iss));
}

TEST(ElementSetAliases, MalformedLinesAreErrors) {
    EXPECT_EQ(parseAliases("ISS=ISS\n; fine\nISS (ZARYA)\n").error,
              "line 3: \"ISS (ZARYA)\" is not DOWNLOADED NAME=STATION NAME");
    EXPECT_EQ(parseAliases("=ISS\n").error, "line 1: \"=ISS\" is not DOWNLOADED NAME=STATION NAME");
    EXPECT_EQ(parseAliases("ISS (ZARYA)=\n").error,
              "line 1: \"ISS (ZARYA)=\" is not DOWNLOADED NAME=STATION NAME");
    EXPECT_EQ(parseAliases("ISS (ZARYA)=ISS\nISS (ZARYA)=CSS\n").error,
              "line 2: ISS (ZARYA) is already renamed to ISS");
}

TEST(ElementSetMerging, NewestEpochWinsAndFirstOrderStays) {
    // The same satellite from an older distribution: an earlier epoch day, checksum made right.
    const std::string olderIss1 = withColumn(issLine1, 21, '1');
    ElementSetMerge merge;
    merge.add({"ISS", olderIss1, issLine2});
    merge.add({"AO-7", ao7Line1, ao7Line2});
    merge.add({"iss  ", issLine1, issLine2});
    merge.add({"ISS", olderIss1, issLine2});
    ASSERT_EQ(merge.sets().size(), 2u);
    EXPECT_EQ(merge.sets()[0].line1, issLine1);
    EXPECT_EQ(merge.sets()[1].name, "AO-7");
    EXPECT_TRUE(merge.holds("ISS"));
    EXPECT_TRUE(merge.holds("AO-7"));
    EXPECT_FALSE(merge.holds("iss"));  // lookup names are upper case
    EXPECT_FALSE(merge.holds("SO-50"));
    EXPECT_EQ(merge.counts().replaced, 1u);
    EXPECT_EQ(merge.counts().older, 1u);

    // Sets are told apart by catalogue number, Alpha-5 ones too, whatever their names.
    auto alpha5 = [](std::string line) { return withColumn(line.replace(2, 5, "A0000"), 3, 'A'); };
    const SourceSets high = readElementSets(set("NEW", alpha5(issLine1), alpha5(issLine2)));
    ASSERT_EQ(high.sets.size(), 1u);
    merge.add(high.sets[0]);
    merge.add({"ISS (ZARYA)", olderIss1, issLine2});
    EXPECT_EQ(merge.sets().size(), 3u);
    EXPECT_EQ(merge.counts().older, 2u);
    EXPECT_EQ(readElementSets(set("BAD", withColumn(issLine1, 3, 'I'), withColumn(issLine2, 3, 'I')))
                  .invalid[0].problem,
              "catalogue number \"I5544\" is neither five digits nor a letter and four digits");

    // A set of an earlier year is older whatever its day.
    ElementSetMerge years;
    const std::string lastYear = withColumn(withColumn(issLine1, 20, '5'), 21, '3');
    years.add({"ISS", issLine1, issLine2});
    years.add({"ISS", lastYear, issLine2});
    EXPECT_EQ(years.sets()[0].line1, issLine1);

    // On the same epoch the later source wins.
    ElementSetMerge tie;
    tie.add({"ISS", issLine1, issLine2});
    tie.add({"ISS (ZARYA)", issLine1, issLine2});
    tie.add({"iss", issLine1, issLine2});
    EXPECT_EQ(tie.sets()[0].name, "iss");
    EXPECT_EQ(tie.counts().sameEpoch, 2u);
}

TEST(ElementSetMerging, TheWrittenFileReadsBackTheSameSets) {
    const SourceSets demo = readElementSets(demoElementFile());
    const std::string written = formatElementFile(demo.sets);
    EXPECT_EQ(written, demoElementFile());
    const SourceSets again = readElementSets(written);
    ASSERT_EQ(again.sets.size(), demo.sets.size());
    EXPECT_EQ(again.sets[3].name, demo.sets[3].name);
    EXPECT_EQ(again.sets[3].line2, demo.sets[3].line2);
}

}  // namespace
}  // namespace station
