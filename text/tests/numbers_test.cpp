#include "text/numbers.hpp"
#include "text/testsupport/comma_locale.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

TEST(LeadingNumber, TakesTheNumberAtTheStartOfTheLine) {
    EXPECT_DOUBLE_EQ(leadingNumber("52.35 degrees north"), 52.35);
    EXPECT_DOUBLE_EQ(leadingNumber("   -4.5"), -4.5);
    EXPECT_DOUBLE_EQ(leadingNumber("+7"), 7.0);
    EXPECT_DOUBLE_EQ(leadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("12."), 12.0);
    EXPECT_DOUBLE_EQ(leadingNumber("1.5E3"), 1500.0);
    EXPECT_DOUBLE_EQ(leadingNumber("1.5D-2"), 0.015);
    EXPECT_DOUBLE_EQ(leadingNumber("2E"), 2.0);  // an exponent without digits is not part of it
    EXPECT_DOUBLE_EQ(leadingNumber("145800 kHz"), 145800.0);
}

TEST(LeadingNumber, NoNumberOrNoRepresentableNumberIsZero) {
    EXPECT_EQ(leadingNumber(""), 0.0);
    EXPECT_EQ(leadingNumber("abc"), 0.0);
    EXPECT_EQ(leadingNumber("-"), 0.0);
    EXPECT_EQ(leadingNumber("."), 0.0);
    EXPECT_EQ(leadingNumber("1e999"), 0.0);
    EXPECT_EQ(leadingNumber("-1e999"), 0.0);
    EXPECT_EQ(leadingNumber(std::string("\0\0 12", 5)), 0.0);
    EXPECT_EQ(leadingNumber(std::string(100000, '9')), 0.0);  // beyond a double
}

// Operators run the programs under locales with a decimal comma; station files keep the point.
TEST(LeadingNumber, DecimalPointWhateverTheLocale) {
    testing::CommaLocale comma;
    ASSERT_TRUE(comma.active());
    EXPECT_DOUBLE_EQ(leadingNumber("52.35 degrees north"), 52.35);
    EXPECT_DOUBLE_EQ(leadingNumber("-4.92"), -4.92);
    EXPECT_DOUBLE_EQ(leadingNumber("435250.125"), 435250.125);
    EXPECT_DOUBLE_EQ(leadingNumber("1.5D-2"), 0.015);
    EXPECT_DOUBLE_EQ(leadingNumber(".00006479"), 0.00006479);
    EXPECT_EQ(leadingNumber("52,35"), 52.0);  // a comma ends the number, as under any locale
    EXPECT_EQ(leadingNumber("1e999"), 0.0);

}

TEST(LeadingNumber, UnderflowAndOverflowReadAsZero) {
    EXPECT_EQ(leadingNumber("1e-400"), 0.0);
    EXPECT_EQ(leadingNumber("-2e308"), 0.0);
    EXPECT_EQ(leadingNumber("4.9e-324"), 4.9e-324);  // the smallest subnormal is a double
    EXPECT_DOUBLE_EQ(leadingNumber("1.7976931348623157e308"), 1.7976931348623157e308);
    EXPECT_EQ(leadingNumber("0e999999999999"), 0.0);
}

TEST(LeadingNumber, ReadsHexadecimalAfterAmpersandH) {
    EXPECT_EQ(leadingNumber("&H1"), 1.0);
    EXPECT_EQ(leadingNumber("&H10"), 16.0);
    EXPECT_EQ(leadingNumber("&Hff rest"), 255.0);
    EXPECT_EQ(leadingNumber("&H"), 0.0);
    EXPECT_EQ(leadingNumber("&HZZ"), 0.0);
}

TEST(IntegerFields, RoundHalvesToEven) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(2.4999), 2);
    EXPECT_EQ(toInt32(115200.0), 115200);
    EXPECT_EQ(toInt16(1e9), 32767);
    EXPECT_EQ(toInt32(-1e12), INT32_MIN);
}

TEST(UpperCase, ChangesOnlyLetters) {
    EXPECT_EQ(upperCase("iss~aprs 1 \xe9"), "ISS~APRS 1 \xe9");
}

}  // namespace
}  // namespace station
