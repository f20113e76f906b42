#include "gps/nmea.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace station {
namespace {

constexpr double degreesTolerance = 1e-12;  // decimal minutes / 60 in double precision

const GpsSentenceLayout& gll() { return *gpsSentenceLayout(1); }
const GpsSentenceLayout& gga() { return *gpsSentenceLayout(2); }
const GpsSentenceLayout& rmc() { return *gpsSentenceLayout(3); }

TEST(GpsSentenceLayout, TypesAndFieldSplitting) {
    EXPECT_EQ(gll().type, "GLL");
    EXPECT_EQ(gga().type, "GGA");
    EXPECT_EQ(rmc().type, "RMC");
    for (int other : {0, 4, -1}) {
        EXPECT_EQ(gpsSentenceLayout(other), nullptr) << other;
    }
    // Characters 3 to 5 name the type whatever the talker.
    EXPECT_TRUE(isGpsSentenceOfType("GNGLL,\r", gll()));
    EXPECT_FALSE(isGpsSentenceOfType("GPGGA,\r", gll()));
    EXPECT_FALSE(isGpsSentenceOfType("GLL,4916.45\r", gll()));
    EXPECT_FALSE(isGpsSentenceOfType("GPGL", gll()));

    using Fields = std::vector<std::string>;
    const Fields example{"GPGLL", "4916.45", "N", "12311.12", "W", "225444"};
    EXPECT_EQ(splitGpsFields("GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r", 6), example);
    // The last field may end where the sentence data ends.
    EXPECT_EQ(splitGpsFields("GPGLL,4916.45,N,12311.12,W,225444*31\r", 6), example);
    EXPECT_EQ(splitGpsFields("GPGLL,4916.45,N,12311.12,W,225444\r", 6), example);
    EXPECT_EQ(splitGpsFields("GPGLL,,,,,,V,*1D\r", 6), (Fields{"GPGLL", "", "", "", "", ""}));
    // Fewer fields than needed; commas after the checksum mark are not fields.
    for (const char* shortLine : {"GPGLL,4916.45,N,12311.12,W\r", "GPGLL\r", "", "GPGLL,4916.45,N*12,311.12,W,225444\r"}) {
        EXPECT_FALSE(splitGpsFields(shortLine, 6)) << shortLine;
    }
}

struct PositionCase {
    const char* latitude;
    const char* northSouth;
    const char* longitude;
    const char* eastWest;
    double latitudeDegrees;
    double longitudeDegrees;
};

TEST(GpsPosition, GoodFields) {
    const PositionCase cases[] = {
        {"4916.45", "N", "12311.12", "W", 49 + 16.45 / 60, -(123 + 11.12 / 60)},
        {"4807.038", "N", "01131.000", "E", 48 + 7.038 / 60, 11 + 31.0 / 60},
        {"3351.5", "S", "15112.25", "E", -(33 + 51.5 / 60), 151 + 12.25 / 60},
        // Characters 4 to 9 of the longitude are its minutes: further decimals are dropped.
        {"0000.00", "N", "00512.3456", "E", 0, 5 + 12.345 / 60},
        {"0000.00", "S", "00512.3456789", "W", 0, -(5 + 12.345 / 60)},
        {"4916", "N", "12311", "W", 49 + 16.0 / 60, -(123 + 11.0 / 60)},
        {"9000.00", "S", "18000.00", "W", -90, -180},
        {"4959.9999", "N", "00059.999", "E", 49 + 59.9999 / 60, 59.999 / 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.latitude) + " " + c.longitude);
        const auto position = parseGpsPosition(c.latitude, c.northSouth, c.longitude, c.eastWest);
        ASSERT_TRUE(position);
        EXPECT_NEAR(position->latitudeDegrees, c.latitudeDegrees, degreesTolerance);
        EXPECT_NEAR(position->longitudeDegrees, c.longitudeDegrees, degreesTolerance);
    }
}

TEST(GpsPosition, BadFieldsAreNotAPosition) {
    const PositionCase cases[] = {
        {"", "", "", "", 0, 0},                    // receiver without a fix
        {"", "N", "12311.12", "W", 0, 0},
        {"4916.45", "N", "", "W", 0, 0},
        {"49", "N", "12311.12", "W", 0, 0},          // degrees without minutes
        {"4916.45", "N", "123", "W", 0, 0},
        {"49A6.45", "N", "12311.12", "W", 0, 0},
        {"4916.45", "N", "123l1.12", "W", 0, 0},
        {"4916.45.1", "N", "12311.12", "W", 0, 0},
        {"-4916.45", "N", "12311.12", "W", 0, 0},
        {"4916.45", "N", "-2311.12", "W", 0, 0},
        {" 4916.45", "N", "12311.12", "W", 0, 0},
        {"4916.45 ", "N", "12311.12", "W", 0, 0},
        {"4916.4E1", "N", "12311.12", "W", 0, 0},
        {"49.", "N", "12311.12", "W", 0, 0},          // a point but no minute digit
        {"4916.45", "", "12311.12", "W", 0, 0},     // hemisphere missing
        {"4916.45", "N", "12311.12", "", 0, 0},
        {"4916.45", "X", "12311.12", "W", 0, 0},
        {"4916.45", "N", "12311.12", "S", 0, 0},
        {"4916.45", "n", "12311.12", "W", 0, 0},
        {"4916.45", "NS", "12311.12", "W", 0, 0},
        {"4960.00", "N", "12311.12", "W", 0, 0},    // minutes must stay below 60
        {"4916.45", "N", "12375.00", "W", 0, 0},
        {"9000.01", "N", "12311.12", "W", 0, 0},    // beyond the pole
        {"9916.45", "S", "12311.12", "W", 0, 0},
        {"4916.45", "N", "18000.01", "E", 0, 0},    // beyond the date line
        {"4916.45", "N", "99911.12", "W", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.latitude) + "|" + c.northSouth + "|" + c.longitude + "|" + c.eastWest);
        EXPECT_FALSE(parseGpsPosition(c.latitude, c.northSouth, c.longitude, c.eastWest));
    }
}

TEST(GpsSentence, TimeAndPositionFromTheTypesOwnFields) {
    const auto fromRmc =
        parseGpsSentence("GPRMC,123519,A,4807.038,S,01131.000,E,022.4,084.4,230394,003.1,W*6A\r", rmc());
    ASSERT_TRUE(fromRmc && fromRmc->position);
    EXPECT_EQ(fromRmc->time, "123519");
    // The magnetic variation's "W" after the position is not the longitude's hemisphere.
    EXPECT_NEAR(fromRmc->position->longitudeDegrees, 11 + 31.0 / 60, degreesTolerance);

    // Without a fix the time stamp is still read.
    const auto noFix = parseGpsSentence("GPGGA,225444,,,,,0,00,,,M,,M,,*66\r", gga());
    ASSERT_TRUE(noFix);
    EXPECT_EQ(noFix->time, "225444");
    EXPECT_FALSE(noFix->position);

    EXPECT_FALSE(parseGpsSentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r", gll()));
    EXPECT_FALSE(parseGpsSentence("GPRMC,123519,A,4807.038,N,01131.000\r", rmc()));
}

}  // namespace
}  // namespace station
