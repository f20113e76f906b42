#include "elementupdate/omm.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

// ISS as an element service publishes it (2026-10-09 19:42:49.139712 is day 282.82140208).
OmmFields issRecord() {
    return {{"OBJECT_NAME", "ISS (ZARYA)"}, {"OBJECT_ID", "1998-067A"}, {"EPOCH", "2026-10-09T19:42:49.139712"},
            {"MEAN_MOTION", "15.48793003"}, {"ECCENTRICITY", ".0006774"}, {"INCLINATION", "51.6314"},
            {"RA_OF_ASC_NODE", "92.7969"}, {"ARG_OF_PERICENTER", "242.6225"}, {"MEAN_ANOMALY", "117.4075"},
            {"EPHEMERIS_TYPE", "0"}, {"CLASSIFICATION_TYPE", "U"}, {"NORAD_CAT_ID", "25544"},
            {"ELEMENT_SET_NO", "999"}, {"REV_AT_EPOCH", "58952"}, {"BSTAR", "0.00012652"},
            {"MEAN_MOTION_DOT", "6.479e-05"}, {"MEAN_MOTION_DDOT", "0"}};
}

TEST(AlphaFive, EdgesBothWays) {
    const std::pair<long, const char*> table[] = {{0, "00000"},      {99999, "99999"},  {100000, "A0000"},
                                                  {179999, "H9999"}, {180000, "J0000"}, {239999, "P9999"},
                                                  {240000, "Q0000"}, {339999, "Z9999"}};
    for (const auto& [number, columns] : table) {
        EXPECT_EQ(catalogueColumns(number), columns);
        EXPECT_EQ(catalogueNumberOf(columns), number);
    }
    EXPECT_EQ(catalogueColumns(340000), std::nullopt);
    EXPECT_EQ(catalogueColumns(-1), std::nullopt);
    EXPECT_EQ(catalogueNumberOf("  755"), 755);
    for (const char* wrong : {"I0000", "O1234", "a0000", "A 000", "12 45", "     "}) {
        EXPECT_EQ(catalogueNumberOf(wrong), std::nullopt) << wrong;
    }
}

TEST(OmmRecord, WrittenInTheColumnsOfATwoLineSet) {
    const OmmElementSet iss = elementSetOf(issRecord());
    ASSERT_EQ(iss.problem, "");
    EXPECT_EQ(iss.set.name, "ISS (ZARYA)");
    EXPECT_EQ(iss.set.line1, "1 25544U 98067A   26282.82140208  .00006479  00000-0  12652-3 0  9990");
    EXPECT_EQ(iss.set.line2, "2 25544  51.6314  92.7969 0006774 242.6225 117.4075 15.48793003589525");
    EXPECT_EQ(elementSetLinesProblem(iss.set), "");
    // Rounded to the columns; counters wrap; a day-of-year epoch; drifts below the exponent's range.
    OmmFields odd = issRecord();
    for (const auto& [key, value] : std::map<std::string, std::string>{
             {"NORAD_CAT_ID", "180000"}, {"EPOCH", "2024-366T23:59:59.9999999Z"}, {"REV_AT_EPOCH", "123456"},
             {"ELEMENT_SET_NO", "12345"}, {"MEAN_MOTION_DOT", "-0.000000004"}, {"MEAN_MOTION_DDOT", "1.23456e-12"},
             {"ECCENTRICITY", "-0"}, {"BSTAR", "-0.999996"}, {"OBJECT_ID", "UNKNOWN"}, {"INCLINATION", "179.99996"}}) {
        odd[key] = value;
    }
    const OmmElementSet rounded = elementSetOf(odd);
    ASSERT_EQ(rounded.problem, "");
    EXPECT_EQ(rounded.set.line1, "1 J0000U          25001.00000000 -.00000000  00123-9 -10000+1 0 2345" +
                                     std::to_string(elementLineChecksum(rounded.set.line1)));
    EXPECT_EQ(rounded.set.line2.substr(0, 34), "2 J0000 180.0000  92.7969 0000000 ");
    // The largest drift just below the exponent's range, rounded up into it.
    odd["BSTAR"] = "-9.99996e-10";
    EXPECT_EQ(elementSetOf(odd).set.line1.substr(53, 8), "-10000-8");
    EXPECT_EQ(rounded.set.line2.substr(63, 5), "23456");
}

TEST(OmmRecord, RefusedWithTheReason) {
    const std::pair<std::map<std::string, std::string>, std::string> table[] = {
        {{{"MEAN_MOTION", ""}}, "no MEAN_MOTION"},
        {{{"BSTAR", "1.2.3"}}, "BSTAR \"1.2.3\" is not a number"},
        {{{"BSTAR", "+-1"}}, "BSTAR \"+-1\" is not a number"},
        {{{"INCLINATION", "NaN"}}, "INCLINATION NaN is not a finite number"},
        {{{"ECCENTRICITY", "1.0"}}, "ECCENTRICITY 1.0 is outside 0..1"},
        {{{"ECCENTRICITY", "0.99999996"}}, "ECCENTRICITY 0.99999996 rounds to 1 in seven decimals"},
        {{{"MEAN_MOTION", "0"}}, "MEAN_MOTION 0 is not positive"},
        {{{"MEAN_MOTION", "100"}}, "MEAN_MOTION 100 does not fit the columns of a two-line set"},
        {{{"EPOCH", "2026-02-29T00:00:00"}}, "EPOCH \"2026-02-29T00:00:00\" cannot be read"},
        {{{"EPOCH", "1975-01-01T00:00:00"}},
         "EPOCH 1975-01-01T00:00:00 is outside the years 1991 to 2090 that a two-digit epoch year gives"},
        {{{"NORAD_CAT_ID", "340000"}},
         "catalogue number 340000 is above 339999, the largest five columns hold"},
        {{{"NORAD_CAT_ID", "25544.5"}}, "NORAD_CAT_ID 25544.5 is not a whole number from 0"},
        {{{"RA_OF_ASC_NODE", "361"}}, "RA_OF_ASC_NODE 361 is outside 0..360"},
        {{{"CLASSIFICATION_TYPE", "u"}}, "CLASSIFICATION_TYPE \"u\" is not one capital letter"},
        {{{"BSTAR", "2e9"}}, "BSTAR 2e9 does not fit the columns of a two-line set"},
    };
    for (const auto& [changes, problem] : table) {
        OmmFields fields = issRecord();
        for (const auto& [key, value] : changes) {
            fields[key] = value;
        }
        EXPECT_EQ(elementSetOf(fields).problem, problem);
    }
    OmmFields missing = issRecord();
    missing.erase("REV_AT_EPOCH");
    EXPECT_EQ(elementSetOf(missing).problem, "no REV_AT_EPOCH");
}

TEST(OmmSource, FormsToldByContentAndBrokenDocumentsRefused) {
    const std::pair<std::string, SourceForm> forms[] = {
        {"\xEF\xBB\xBF [{\"OBJECT_NAME\": 1}]", SourceForm::json},
        {"\xEF\xBB\xBFOBJECT_NAME,NORAD_CAT_ID\r\nISS,25544\r\n", SourceForm::csv},
        {"<?xml version=\"1.0\"?>\n<!-- group -->\n<ndm><omm/></ndm>", SourceForm::xml},
        {"<!DOCTYPE html>\n<html><body>503</body></html>", SourceForm::twoLine},
        {"ISS\n1 25544U 98067A", SourceForm::twoLine},
    };
    for (const auto& [text, form] : forms) {
        EXPECT_EQ(sourceFormOf(text), form) << text;
    }
    EXPECT_EQ(readOmmSource("[{\"OBJECT_NAME\": 1", SourceForm::json).broken.substr(0, 21),
              "broken JSON document:");
    EXPECT_EQ(readOmmSource("{}", SourceForm::json).broken, "the JSON document is not an array of records");
    EXPECT_EQ(readOmmSource("OBJECT_NAME,EPOCH\n\"ISS,2026", SourceForm::csv).broken,
              "broken CSV document: a quoted field is never closed");
    EXPECT_EQ(readOmmSource("<ndm><omm><body>", SourceForm::xml).broken.substr(0, 20),
              "broken XML document:");

    // A record that cannot be one is refused by its number and name; the others are read.
    const OmmSource csv = readOmmSource(
        "\xEF\xBB\xBFOBJECT_NAME,NORAD_CAT_ID,EXTRA\n\"SAT, ONE\",1\n\"SAT \"\"TWO\"\"\",2,x\n", SourceForm::csv);
    ASSERT_EQ(csv.sets.invalid.size(), 2u);
    EXPECT_EQ(csv.sets.invalid[0].name, "SAT, ONE");
    EXPECT_EQ(csv.sets.invalid[0].problem, "the row has 2 fields, the header 3");
    EXPECT_EQ(csv.sets.invalid[1].name, "SAT \"TWO\"");
    EXPECT_EQ(csv.sets.invalid[1].lineNumber, 2u);
    EXPECT_TRUE(csv.sets.invalid[1].isRecord);
}

}  // namespace
}  // namespace station
