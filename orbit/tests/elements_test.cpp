#include "orbit/elements.hpp"

#include "orbit/tests/orbit_fixtures.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

using testing::degree;
using testing::StationDir;

const std::string issLine1 = "1 25544U 98067A   26282.82140208  .00006479  00000+0  12652-3 0  9999";
const std::string issLine2 = "2 25544  51.6314  92.7969 0006774 242.6225 117.4075 15.48793003589525";
const std::string so50Lines =
    "1 27607U 02058C   26274.42157801  .00000393  00000-0  64436-4 0  9998\n"
    "2 27607  64.5523 160.2499 0070977 242.8813 116.5042 14.83236109280217\n";

// Line 1 with another two-digit epoch year.
std::string withEpochYear(const std::string& year) { return issLine1.substr(0, 18) + year + issLine1.substr(20); }

TEST(ElementLines, ColumnsGiveTheFieldsInRadians) {
    const KeplerianElementSet set = parseElementLines(issLine1, issLine2);
    EXPECT_EQ(set.epochYear, 2026);
    EXPECT_EQ(set.epochDay, 282.82140208);
    EXPECT_EQ(set.meanMotionDrift, 0.00006479);
    EXPECT_EQ(set.inclination, 51.6314 * degree);
    EXPECT_EQ(set.raan, 92.7969 * degree);
    EXPECT_EQ(set.eccentricity, 6774 / 10000000.0);
    EXPECT_EQ(set.argumentOfPerigee, 242.6225 * degree);
    EXPECT_EQ(set.meanAnomaly, 117.4075 * degree);
    EXPECT_EQ(set.meanMotion, 15.48793003);
}

TEST(ElementLines, EpochYearsAndEccentricityDigits) {
    const std::pair<const char*, int> years[] = {{"57", 2057}, {"99", 1999}, {"00", 2000}, {"90", 2090}, {"91", 1991}};
    for (const auto& [field, year] : years) {
        EXPECT_EQ(parseElementLines(withEpochYear(field), issLine2).epochYear, year) << field;
    }
    const std::string line2 = issLine2.substr(0, 26) + "0001234" + issLine2.substr(33);
    EXPECT_EQ(parseElementLines(issLine1, line2).eccentricity, 0.0001234);
}

TEST(ElementLines, AreTextFieldsAndMalformedNumbersReadAsZero) {
    // Leading blanks are skipped, so an indented line reads the same; a comma ends the field.
    const KeplerianElementSet indented = parseElementLines("   " + issLine1, "  " + issLine2);
    EXPECT_EQ(indented.epochDay, 282.82140208);
    EXPECT_EQ(indented.meanMotion, 15.48793003);
    EXPECT_EQ(parseElementLines(issLine1.substr(0, 25) + "," + issLine1.substr(26), issLine2).epochDay, 282.8);
    EXPECT_EQ(parseElementLines(issLine1, issLine2.substr(0, 52) + ",15.48").meanMotion, 0.0);

    const std::string garbled = "2 25544  5x.6314  ABCDEFG 000x774 242.6225 117.4075 ..48793003";
    const KeplerianElementSet bad = parseElementLines("1 short", garbled);
    EXPECT_EQ(bad.epochYear, 2000);  // an empty year field is 0
    EXPECT_EQ(bad.epochDay, 0.0);
    EXPECT_EQ(bad.inclination, 5 * degree);  // the leading number of "5x.6314"
    EXPECT_EQ(bad.raan, 0.0);
    EXPECT_EQ(bad.eccentricity, 0.0);
    EXPECT_EQ(bad.meanMotion, 0.0);
    EXPECT_FALSE(elementSetProblem(bad).empty());
}

// B* (columns 54-61) and the second derivative of the mean motion (columns 45-52) have an
// assumed decimal point before five digits and a one-digit exponent.
TEST(ElementLines, AssumedPointFieldsOfLineOne) {
    const KeplerianElementSet iss = parseElementLines(issLine1, issLine2);
    EXPECT_EQ(iss.bStar, 0.12652e-3);
    EXPECT_EQ(iss.meanMotionSecondDrift, 0.0);
    auto withFields = [](const std::string& secondDrift, const std::string& bStar) {
        return issLine1.substr(0, 44) + secondDrift + " " + bStar + issLine1.substr(61);
    };
    const std::pair<const char*, double> fields[] = {
        {" 34123-4", 0.34123e-4}, {"-13525-3", -0.13525e-3}, {"+14311-1", 0.14311e-1},
        {" 00000+0", 0.0},        {" 81888 5", 0.81888e5},   {"   123-4", 0.00123e-4},
        {" 1a345-4", 0.0},        {" 12345x4", 0.0},         {" 12345-x", 0.0},
        {"*12345-4", 0.0},        {" 1.345-4", 0.0}};
    for (const auto& [field, value] : fields) {
        const KeplerianElementSet set = parseElementLines(withFields(field, field), issLine2);
        EXPECT_EQ(set.bStar, value) << field;
        EXPECT_EQ(set.meanMotionSecondDrift, value) << field;
    }
    // A line cut inside the field leaves it 0; the fields before it are read as ever.
    const KeplerianElementSet cut = parseElementLines(issLine1.substr(0, 58), issLine2);
    EXPECT_EQ(cut.bStar, 0.0);
    EXPECT_EQ(cut.epochDay, 282.82140208);
}

TEST(ElementProblems, NameMeanMotionAndEccentricity) {
    KeplerianElementSet set = parseElementLines(issLine1, issLine2);
    EXPECT_EQ(elementSetProblem(set), "");
    set.meanMotion = 0;
    EXPECT_EQ(elementSetProblem(set), "mean motion is 0 or less");
    set.meanMotion = -1;
    EXPECT_EQ(elementSetProblem(set), "mean motion is 0 or less");
    set.meanMotion = 15;
    set.eccentricity = 1;
    EXPECT_EQ(elementSetProblem(set), "eccentricity is not between 0 and 1");
    set.eccentricity = 0.999;
    EXPECT_EQ(elementSetProblem(set), "");
}

TEST(LookupName, IsTheUpperCaseDesignationBeforeTheFirstTilde) {
    EXPECT_EQ(lookupNameOf("ISS~FM"), "ISS");
    EXPECT_EQ(lookupNameOf("so-50~a~b"), "SO-50");
    EXPECT_EQ(lookupNameOf("AO-7"), "AO-7");
    EXPECT_EQ(lookupNameOf("~X"), "");
}

class ElementFile : public ::testing::Test {
protected:
    StationDir dir;
    Files files{dir.path()};
    std::string lookupName = "SO-50";

    Result<KeplerianElementSet, ElementFailure> read(const std::string& content) {
        dir.write("keps.txt", content);
        return readElementSet(files, "KEPS.TXT", lookupName);
    }
    static bool notFound(const Result<KeplerianElementSet, ElementFailure>& result) {
        return !result && result.error() == ElementFailure::nameNotFound;
    }
};

TEST_F(ElementFile, NameLinesMatchInUpperCaseWithoutTrailingBlanksButNotIndented) {
    const auto lower = read("iss\n" + issLine1 + "\n" + issLine2 + "\nso-50   \r\n" + so50Lines);
    ASSERT_TRUE(lower.ok());
    EXPECT_EQ(lower->meanMotion, 14.83236109);
    EXPECT_TRUE(notFound(read("  SO-50\n" + so50Lines)));
}

TEST_F(ElementFile, AcceptsCrAndCrLfLineEnds) {
    std::string cr = "SO-50\n" + so50Lines;
    for (char& c : cr) {
        c = c == '\n' ? '\r' : c;
    }
    ASSERT_TRUE(read(cr).ok());
}

TEST_F(ElementFile, MissingSatelliteEndsAfterOneHundredAndOneEmptyReads) {
    EXPECT_TRUE(notFound(read("ISS\n" + issLine1 + "\n" + issLine2 + "\n")));
    // Empty lines inside the file count as well: 101 in a row hide what follows, 100 do not.
    EXPECT_TRUE(notFound(read(std::string(101, '\n') + "SO-50\n" + so50Lines)));
    EXPECT_TRUE(read(std::string(100, '\n') + "SO-50\n" + so50Lines).ok());
}

TEST_F(ElementFile, EndOfFileInsteadOfTheElementLinesIsNotFound) {
    EXPECT_TRUE(notFound(read("SO-50\n" + so50Lines.substr(0, 70))));
    EXPECT_TRUE(notFound(read("SO-50")));
}

TEST_F(ElementFile, EmptyLookupNameIsNotFoundRatherThanTheFirstLines) {
    lookupName = "";
    EXPECT_TRUE(notFound(read("SO-50\n" + so50Lines)));
}

TEST_F(ElementFile, MissingFileIsToldApart) {
    const auto missing = readElementSet(files, "NOFILE.TXT", lookupName);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), ElementFailure::fileNotFound);
}

TEST(DaysSinceEpoch, CountsLeapYearsAndWarnsBeyondOneYear) {
    KeplerianElementSet set;
    set.epochYear = 2023;
    set.epochDay = 360.5;
    int warnings = 0;
    const auto warn = [&] { ++warnings; };
    EXPECT_EQ(daysSinceEpoch(set, 2024, 5.5, warn), 10.0);
    set.epochYear = 2024;
    set.epochDay = 5.5;
    EXPECT_EQ(daysSinceEpoch(set, 2023, 360.5, warn), -10.0);
    set.epochDay = 1.0;
    EXPECT_EQ(daysSinceEpoch(set, 2025, 1.0, warn), 366.0);
    EXPECT_EQ(warnings, 0);
    EXPECT_EQ(daysSinceEpoch(set, 2026, 1.0, warn), 731.0);
    EXPECT_EQ(daysSinceEpoch(set, 2022, 1.0, warn), -730.0);  // 2022 and 2023 have 365 days
    EXPECT_EQ(warnings, 2);
}

}  // namespace
}  // namespace station
