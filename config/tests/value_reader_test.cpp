#include "config/value_reader.hpp"
#include "text/testsupport/comma_locale.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

struct PhaseOnlyHandler : ErrorHandler {
    void handleError(int) override {}
};

// Station files keep the decimal point under a locale with a decimal comma.
TEST(ValueReader, DecimalPointWhateverTheLocale) {
    testing::CommaLocale comma;
    ASSERT_TRUE(comma.active());
    LineReader lines({"; latitude", "52.35", "0.1 seconds"});
    PhaseOnlyHandler errors;
    errors.errorPhase = 2;
    ValueReader values(lines, errors);
    EXPECT_DOUBLE_EQ(values.readNumber(), 52.35);
    EXPECT_DOUBLE_EQ(values.readNumber(), 0.1);
}

TEST(ValueReader, SkipsCommentLinesAndUpperCases) {
    LineReader lines({"; a comment", ";another", "first value", " ;not a comment", "", "last"});
    PhaseOnlyHandler errors;
    errors.errorPhase = 2;
    ValueReader values(lines, errors);
    EXPECT_EQ(values.readValue(), "FIRST VALUE");
    EXPECT_EQ(values.readValue(), " ;NOT A COMMENT");
    EXPECT_EQ(values.readValue(), "");  // an empty line is a value
    EXPECT_EQ(values.readValue(), "LAST");
    EXPECT_EQ(values.readValue(), "");  // past the end
    EXPECT_EQ(values.readNumber(), 0.0);
}

TEST(ValueReader, ReadsNothingOnceTheHandlerHasClearedThePhase) {
    LineReader lines({"one", "two"});
    PhaseOnlyHandler errors;
    errors.errorPhase = 0;
    ValueReader values(lines, errors);
    EXPECT_EQ(values.readValue(), "");
    errors.errorPhase = 4;
    EXPECT_EQ(values.readValue(), "ONE");
}

}  // namespace
}  // namespace station
