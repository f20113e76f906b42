#include "text/picture.hpp"
#include "text/testsupport/comma_locale.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace station {
namespace {

struct PictureCase {
    const char* mask;
    double value;
    const char* shown;
};

void expectAll(const std::vector<PictureCase>& cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(formatPicture(c.mask, c.value), c.shown) << "mask " << c.mask << " value " << c.value;
    }
}

TEST(Picture, PositionsAndAngles) {
    expectAll({
        {"####.##", 12.345, "  12.35"},
        {"####.##", -45.678, " -45.68"},
        {"####.##", 0, "   0.00"},
        {"####.##", -999.99, "-999.99"},
        {"####.##", 9999.994, "9999.99"},
        {"###.##", 128, "128.00"},
        {"###.##", 255.999, "256.00"},
        {"###.#", 359.94, "359.9"},
        {"###.#", 359.96, "360.0"},
        {"###.#", -12.35, "-12.3"},
        {"##.#", 89.96, "90.0"},
    });
}

TEST(Picture, DistancesAndFrequencies) {
    expectAll({
        {"#####.#", 1234.56, " 1234.6"},
        {"#####.#", 35786.04, "35786.0"},
        {"#####.#", -6378.1, "-6378.1"},
        {"#####.#", 99999.95, "99999.9"},  // 99999.949999... in binary
        {"########.#", 145800, "  145800.0"},
        {"########.#", 1296000, " 1296000.0"},
        {"########.#", 10368000.5, "10368000.5"},
        {"########.#", -5.04, "      -5.0"},
        {"########.##", 145800.125, "  145800.13"},
        {"########.##", -1234567.891, "-1234567.89"},
    });
}

TEST(Picture, WholeNumberMasks) {
    expectAll({
        {"###", 42, " 42"},
        {"###", 999.4, "999"},
        {"###", 0.4, "  0"},
        {"###", -99, "-99"},
        {"##", 6, " 6"},
        {"##", 31, "31"},
        {"##", -1, "-1"},
        {"####", 2026, "2026"},
    });
}

TEST(Picture, MinusTakesADigitPositionNextToTheDigits) {
    expectAll({
        {"####.##", -1.5, "  -1.50"},
        {"##.#", -9.2, "-9.2"},
        {"###", -7, " -7"},
        {"########.#", -145800, " -145800.0"},
    });
}

TEST(Picture, RoundsHalfAwayFromZeroOnTheExactBinaryValue) {
    expectAll({
        {"##.#", 45.25, "45.3"},  // exact halves
        {"##.#", 0.25, " 0.3"},
        {"##.#", -0.25, "-0.3"},
        {"###", 2.5, "  3"},
        {"###", -2.5, " -3"},
        {"###.##", 0.125, "  0.13"},
        {"##.#", 0.05, " 0.1"},       // 0.05000000000000000277
        {"###.##", 0.005, "  0.01"},  // 0.005000000000000000104
        {"####.##", 2.675, "   2.67"},  // 2.67499999999999982236
        {"##.#", -9.95, "-9.9"},        // -9.94999999999999928946
        {"########.#", 435250.55, "  435250.5"},
        {"########.##", 435250.555, "  435250.55"},
    });
}

// A negative value that rounds to zero keeps its sign: the operator sees that it is below zero
// (an elevation just under the horizon reads "-0.0"). Pinned so that nobody "fixes" it.
TEST(Picture, NegativeValueRoundingToZeroKeepsItsSign) {
    expectAll({
        {"##.#", -0.04, "-0.0"},
        {"##.#", 0.04, " 0.0"},
        {"####.##", -0.004, "  -0.00"},
        {"+##.#", -0.04, " -0.0"},
    });
}

TEST(Picture, LeadingPlusAlwaysSigns) {
    expectAll({
        {"+##.#", 1.5, " +1.5"},
        {"+##.#", -1.5, " -1.5"},
        {"+##.#", 12.34, "+12.3"},
        {"+##.#", -12.34, "-12.3"},
        {"+##.#", 99.94, "+99.9"},
        {"+##.#", 0.0, " +0.0"},
        // The Doppler display prints the negative of a zero reading.
        {"+##.#", -0.0, " +0.0"},
    });
}

TEST(Picture, TooWideIsPrintedWholeAfterAPercentSign) {
    expectAll({
        {"####.##", 9999.996, "%10000.00"},
        {"####.##", -1000, "%-1000.00"},
        {"#####.#", 100000, "%100000.0"},
        {"##.#", 99.95, "%100.0"},  // rounding carries into a new digit
        {"##.#", -45.25, "%-45.3"},
        {"##.#", -9.96, "%-10.0"},
        {"###.#", 999.96, "%1000.0"},
        {"###", 999.5, "%1000"},
        {"###", -100, "%-100"},
        {"##", 100, "%100"},
        {"##", -10, "%-10"},
        {"####", 12345, "%12345"},
        {"+##.#", 123.4, "%+123.4"},
        {"+##.#", -99.96, "%-100.0"},
        {"########.#", 123456789.0, "%123456789.0"},
        {"########.##", 99999999.995, "%100000000.00"},
    });
}

TEST(Picture, WidthIsTheMaskWidthWhenTheValueFits) {
    for (const char* mask : {"####.##", "#####.#", "###.##", "##.#", "###.#", "###", "##", "####", "+##.#",
                             "########.#", "########.##"}) {
        EXPECT_EQ(formatPicture(mask, 1).size(), std::string(mask).size()) << mask;
    }
}

TEST(Picture, ValuesThatAreNotNumbersOverflow) {
    EXPECT_EQ(formatPicture("##.#", std::nan("")), "%nan");
    EXPECT_EQ(formatPicture("##.#", INFINITY), "%inf");
    EXPECT_EQ(formatPicture("##.#", -INFINITY), "%-inf");
}

// Screens show the decimal point whatever the operator's locale.
TEST(Picture, DecimalPointWhateverTheLocale) {
    testing::CommaLocale comma;
    ASSERT_TRUE(comma.active());
    expectAll({
        {"####.##", -34.818, " -34.82"},
        {"##", 10, "10"},
        {"####", 2026, "2026"},
        {"########.#", 145800, "  145800.0"},
        {"+##.#", -1.5, " -1.5"},
        {"###.##", 0.125, "  0.13"},
        {"####.##", 2.675, "   2.67"},
        {"####.##", 9999.996, "%10000.00"},
    });
    EXPECT_EQ(formatInteger(-5), "-5");
}

TEST(FormatInteger, LeadingBlankUnlessNegative) {
    EXPECT_EQ(formatInteger(0), " 0");
    EXPECT_EQ(formatInteger(7), " 7");
    EXPECT_EQ(formatInteger(53), " 53");
    EXPECT_EQ(formatInteger(-5), "-5");
    EXPECT_EQ(formatInteger(-32768), "-32768");
    EXPECT_EQ(formatInteger(2147483647), " 2147483647");
}

}  // namespace
}  // namespace station
