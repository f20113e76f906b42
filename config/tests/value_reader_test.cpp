#include "config/value_reader.hpp"
#include "text/testsupport/comma_locale.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

// Station files keep the decimal point under a locale with a decimal comma.
TEST(ValueReader, DecimalPointWhateverTheLocale) {
    testing::CommaLocale comma;
    ASSERT_TRUE(comma.active());
    LineReader lines({"; latitude", "52.35", "0.1 seconds"});
    ValueReader values(lines);
    EXPECT_DOUBLE_EQ(values.readNumber(), 52.35);
    EXPECT_DOUBLE_EQ(values.readNumber(), 0.1);
}

TEST(ValueReader, SkipsCommentLinesAndUpperCases) {
    LineReader lines({"; a comment", ";another", "first value", " ;not a comment", "", "last"});
    ValueReader values(lines);
    EXPECT_EQ(values.readValue(), "FIRST VALUE");
    EXPECT_EQ(values.readValue(), " ;NOT A COMMENT");
    EXPECT_EQ(values.readValue(), "");  // an empty line is a value
    EXPECT_EQ(values.readValue(), "LAST");
    EXPECT_EQ(values.readValue(), "");  // past the end
    EXPECT_EQ(values.readNumber(), 0.0);
}

TEST(ValueReader, ReadsNothingOnceAValueCouldNotBeStored) {
    LineReader lines({"one", "70000", "two"});
    ValueReader values(lines);
    EXPECT_EQ(values.readValue(), "ONE");
    EXPECT_EQ(values.readInt16(), 0);
    EXPECT_TRUE(values.failed());
    EXPECT_EQ(values.readValue(), "");
}

}  // namespace
}  // namespace station
