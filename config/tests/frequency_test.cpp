#include "config/frequency.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "console/testsupport/station_dir.hpp"

namespace station {
namespace {

// The failures of the lookups into one record.
struct RecordingHandler {
    std::vector<FrequencyFailure> failures;
};

constexpr char demoLikeFile[] =
    "; frequencies per designation\r\n"
    "ISS\r\n145990\r\n437800\r\nFM\r\nFM\r\n0\r\n"
    "; the digipeater\r\n"
    "ISS~APRS\r\n145825\r\n145825\r\nFMN\r\nFMW\r\n0\r\n"
    "SO-50\r\n145850\r\n436795\r\nFM\r\nFM\r\n08\r\n"
    "PARK\r\n145500\r\n433500\r\nFM\r\nFM\r\n0\r\n";

struct Lookup {
    FrequencyRecord record;
    RecordingHandler errors;
};

// As the tracker takes a lookup: a failure marks the record as without data and keeps its values.
void take(Lookup& lookup, const Result<FrequencyRecord, FrequencyFailure>& result) {
    if (result) {
        lookup.record = *result;
    } else {
        lookup.record.noFrequencyData = 1;
        lookup.errors.failures.push_back(result.error());
    }
}

void lookUp(Lookup& lookup, const std::string& content, const std::string& designation) {
    testing::StationDir dir;
    dir.write("kelvorin.frc", content);  // any case on disk
    take(lookup, readFrequencyRecord(Files(dir.path()), designation));
}

Lookup lookUp(const std::string& content, const std::string& designation) {
    Lookup lookup;
    lookUp(lookup, content, designation);
    return lookup;
}

void expectRecord(const FrequencyRecord& r, double up, double down, const std::string& upMode,
                  const std::string& downMode, const std::string& tone) {
    EXPECT_EQ(r.noFrequencyData, 0);
    EXPECT_DOUBLE_EQ(r.uplinkKhz, up);
    EXPECT_DOUBLE_EQ(r.downlinkKhz, down);
    EXPECT_EQ(r.uplinkMode, upMode);
    EXPECT_EQ(r.downlinkMode, downMode);
    EXPECT_EQ(r.toneCode, tone);
}

void expectNotFound(const Lookup& lookup) {
    EXPECT_EQ(lookup.record.noFrequencyData, 1);
    ASSERT_EQ(lookup.errors.failures.size(), 1u);
    EXPECT_EQ(lookup.errors.failures[0], FrequencyFailure::noRecord);
}

TEST(FrequencyFile, FindsRecordsByWholeDesignation) {
    const Lookup iss = lookUp(demoLikeFile, "ISS");
    expectRecord(iss.record, 145990, 437800, "FM", "FM", "0");
    EXPECT_TRUE(iss.errors.failures.empty());

    // The suffix selects its own record; the name alone does not reach it.
    expectRecord(lookUp(demoLikeFile, "ISS~APRS").record, 145825, 145825, "FMN", "FMW", "0");
    expectRecord(lookUp(demoLikeFile, "SO-50").record, 145850, 436795, "FM", "FM", "08");
    expectNotFound(lookUp(demoLikeFile, "ISS~"));
    expectNotFound(lookUp(demoLikeFile, "SO-5"));
}

TEST(FrequencyFile, UpperCasesEveryLineAndSkipsCommentsInsideRecords) {
    const std::string content =
        "ao-7\n; uplink follows\n432150.5\n;downlink\n; (two comment lines)\n145950 kHz\n"
        "lsb\n;\nusb\n0\n";
    expectRecord(lookUp(content, "AO-7").record, 432150.5, 145950, "LSB", "USB", "0");
    // Lines end in CR alone too.
    expectRecord(lookUp("X\r1e3\r2D3\rcw\rcwn\r\r", "X").record, 1000, 2000, "CW", "CWN", "");
}

TEST(FrequencyFile, ComparesLeadingAndTrailingBlanks) {
    const std::string content = "AO-7 \n432150\n145950\nLSB\nUSB\n0\n";
    expectNotFound(lookUp(content, "AO-7"));
    expectRecord(lookUp(content, "AO-7 ").record, 432150, 145950, "LSB", "USB", "0");
    expectNotFound(lookUp(" AO-7\n1\n2\nFM\nFM\n0\n", "AO-7"));
}

TEST(FrequencyFile, FrequencyLinesWithoutLeadingNumberReadZero) {
    expectRecord(lookUp("SAT\nabout 145900\n  435800.25MHz\nFM\nFM\n0\n", "SAT").record, 0, 435800.25, "FM",
                 "FM", "0");
}

TEST(FrequencyFile, ANameEqualToAnyLaterLineStartsTheRecordThere) {
    // "FM" first appears as SO-50's uplink mode: the five lines after it are taken.
    const Lookup lookup = lookUp("SO-50\n145850\n436795\nFM\nFM\n08\nXX\n", "FM");
    expectRecord(lookup.record, 0, 8, "XX", "", "");
    EXPECT_TRUE(lookup.errors.failures.empty());
}

TEST(FrequencyFile, RecordCutShortAtEndOfFileReadsEmptyValues) {
    const Lookup noTone = lookUp("AO-7\n432150\n145950\nLSB\nUSB", "AO-7");
    expectRecord(noTone.record, 432150, 145950, "LSB", "USB", "");
    EXPECT_TRUE(noTone.errors.failures.empty());
    expectRecord(lookUp("AO-7\n432150\n", "AO-7").record, 432150, 0, "", "", "");
}

TEST(FrequencyFile, NotFoundSetsNoFrequencyDataAndKeepsTheOldValues) {
    Lookup lookup;
    lookUp(lookup, demoLikeFile, "SO-50");
    lookUp(lookup, "; only comments\n;\n; here\n", "SO-50");
    expectNotFound(lookup);
    EXPECT_DOUBLE_EQ(lookup.record.uplinkKhz, 145850);
    EXPECT_EQ(lookup.record.toneCode, "08");

    // The next successful lookup clears the flag again.
    lookup.errors.failures.clear();
    lookUp(lookup, demoLikeFile, "ISS");
    expectRecord(lookup.record, 145990, 437800, "FM", "FM", "0");
}

TEST(FrequencyFile, MissingParkRecordIsNoRecord) {
    // The tracker keeps quiet for PARK; the lookup itself treats it like any name.
    const Lookup lookup = lookUp("ISS\n145990\n437800\nFM\nFM\n0\n", "PARK");
    expectNotFound(lookup);
    expectRecord(lookUp(demoLikeFile, "PARK").record, 145500, 433500, "FM", "FM", "0");
}

TEST(FrequencyFile, EmptyFileAndMissingFile) {
    expectNotFound(lookUp("", "ISS"));

    Lookup missing;
    missing.record.uplinkKhz = 145990;
    testing::StationDir dir;
    take(missing, readFrequencyRecord(Files(dir.path()), "ISS"));
    EXPECT_EQ(missing.record.noFrequencyData, 1);
    ASSERT_EQ(missing.errors.failures.size(), 1u);
    EXPECT_EQ(missing.errors.failures[0], FrequencyFailure::fileNotFound);
    EXPECT_DOUBLE_EQ(missing.record.uplinkKhz, 145990);
}

TEST(FrequencyFile, HundredAndOneBlankLinesEndTheSearch) {
    const std::string record = "SAT\n1\n2\nFM\nFM\n0\n";
    expectRecord(lookUp(std::string(100, '\n') + record, "SAT").record, 1, 2, "FM", "FM", "0");
    expectNotFound(lookUp(std::string(101, '\n') + record, "SAT"));
}

// The search ends without reading a record it never found.
TEST(FrequencyFile, SearchEndsWithoutARecord) {
    Lookup lookup;
    lookUp(lookup, "ISS\n145990\n437800\nFM\nFM\n0\n", "AO-7");
    expectNotFound(lookup);
    EXPECT_DOUBLE_EQ(lookup.record.uplinkKhz, 0);
}

}  // namespace
}  // namespace station
