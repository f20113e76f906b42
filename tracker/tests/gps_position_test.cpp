#include "tracker/gps_control.hpp"

#include "config/station.hpp"
#include "console/testsupport/memory.hpp"
#include "console/testsupport/memory_link.hpp"
#include "console/testsupport/station_dir.hpp"
#include "gps/tests/gps_station.hpp"
#include "orbit/geodesy.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace station {
namespace {

constexpr double pi = 3.1415926535898;
constexpr double flattening = 0.0033528106647474805;
// The station position is single precision: about 3e-8 radians, 2e-6 degrees.
constexpr double floatDegreesTolerance = 1e-5;
using gpstest::gllSentence;
using gpstest::gpsPortNumber;

double geodeticDegrees(float geocentricLatitude) {
    const double k = (1 - flattening) * (1 - flattening);
    return std::atan(std::tan(static_cast<double>(geocentricLatitude)) / k) * 180 / pi;
}

double degrees(float radians) { return static_cast<double>(radians) * 180 / pi; }

class GpsReaderTest : public ::testing::Test {
protected:
    GpsReaderTest() {
        start = gpstest::startAtNoon(mc);
        gpstest::gpsOnPortTwo(s.station);
        s.station.latitude = configuredLatitude;
        s.station.longitude = configuredLongitude;
        testing::openLink(s.gpsLink, mc.serialPorts, gpsPortNumber, 4800);
        // Every message the read leaves on row 24 while it waits.
        mc.sleeper.onTime = [this](std::int64_t millis) {
            const std::string text = message();
            if (messages.empty() || messages.back() != text) {
                messages.push_back(text);
            }
            for (auto& [at, text2] : timedFeeds) {
                if (!text2.empty() && millis >= at) {
                    port().feed(text2);
                    text2.clear();
                }
            }
        };
    }

    MemorySerialPort& port() { return mc.serialPorts.port(gpsPortNumber); }
    // Row 24 from column 3, without the trailing blanks.
    std::string message() const {
        std::string text = mc.screen.rowText(24, 3, 79);
        return text.substr(0, text.find_last_not_of(' ') + 1);
    }
    void feedAt(std::int64_t afterMillis, std::string text) { timedFeeds.emplace_back(start + afterMillis, std::move(text)); }
    bool positionUnchanged() const {
        return s.station.latitude == configuredLatitude && s.station.longitude == configuredLongitude;
    }

    static constexpr float configuredLatitude = 0.5f;
    static constexpr float configuredLongitude = 0.25f;
    station::testing::StationDir dir;
    MemoryConsole mc{dir.path()};
    TrackerState s{mc.console};
    std::int64_t start = 0;
    std::vector<std::string> messages;
    std::vector<std::pair<std::int64_t, std::string>> timedFeeds;
};

TEST_F(GpsReaderTest, GllExampleIsAcceptedOnTheSecondTimeStamp) {
    port().feed(gllSentence("225444") + gllSentence("225445"));
    readGpsPosition(s);

    EXPECT_EQ(messages, (std::vector<std::string>{"Reading GPS...  OK!"}));
    EXPECT_EQ(message(), "");
    EXPECT_NEAR(geodeticDegrees(s.station.latitude), 49 + 16.45 / 60, floatDegreesTolerance);
    EXPECT_NEAR(degrees(s.station.longitude), -(123 + 11.12 / 60), floatDegreesTolerance);
    // The record holds the second sentence with its own carriage return, then CR LF.
    EXPECT_EQ(dir.read("KELVORIN.GPS"), "$GPGLL,4916.45,N,12311.12,W,225445,A,*1D\r\r\n");
    // The result stays for one second, then the line is cleared.
    EXPECT_EQ(mc.clock.millis, start + 1000);
}

TEST_F(GpsReaderTest, GgaAndRmcTakeTheirOwnFields) {
    s.station.gpsSentence = 2;
    port().feed("$GPRMC,123519,A,1111.111,N,02222.222,E,022.4,084.4,230394,003.1,W*6A\r\n"
                "$GPGGA,123519,4500.000,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
                "$GPRMC,123520,A,1111.111,N,02222.222,E,022.4,084.4,230394,003.1,W*6A\r\n"
                "$GPGGA,123520,4500.000,N,01131.000,W,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    readGpsPosition(s);
    // 45 degrees geodetic is about 44.8076 geocentric, as for a configured latitude.
    EXPECT_NEAR(degrees(s.station.latitude), 44.8076, 1e-4);
    EXPECT_EQ(s.station.latitude, static_cast<float>(trackerGeocentricLatitude(static_cast<float>(pi / 4))));
    // The SGP4 model stands the station at the fix's own, geodetic, latitude.
    EXPECT_EQ(s.station.geodeticLatitude, static_cast<float>(pi / 4));
    EXPECT_EQ(observerOf(s.station).geodetic.latitude, static_cast<float>(pi / 4));
    EXPECT_NEAR(degrees(s.station.longitude), -(11 + 31.0 / 60), floatDegreesTolerance);

    s.station.gpsSentence = 3;
    port().feed("$GPGGA,123521,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
                "$GPRMC,123521,A,3351.500,S,15112.250,E,022.4,084.4,230394,003.1,W*6A\r\n"
                "$GPRMC,123522,A,3351.500,S,15112.250,E,022.4,084.4,230394,003.1,W*6A\r\n");
    readGpsPosition(s);
    EXPECT_NEAR(geodeticDegrees(s.station.latitude), -(33 + 51.5 / 60), floatDegreesTolerance);
    EXPECT_NEAR(degrees(s.station.longitude), 151 + 12.25 / 60, floatDegreesTolerance);
    EXPECT_EQ(dir.read("KELVORIN.GPS"),
              "$GPRMC,123522,A,3351.500,S,15112.250,E,022.4,084.4,230394,003.1,W*6A\r\r\n");
}

// 90 degrees in single precision lies beyond the right angle: the north pole became the south.
TEST_F(GpsReaderTest, PolesStayPoles) {
    port().feed(gllSentence("225444", "9000.000") + gllSentence("225445", "9000.000"));
    readGpsPosition(s);
    EXPECT_NEAR(degrees(s.station.latitude), 90, floatDegreesTolerance);
    port().feed("$GPGLL,9000.000,S,12311.12,W,225446,A,*1D\r\n$GPGLL,9000.000,S,12311.12,W,225447,A,*1D\r\n");
    readGpsPosition(s);
    EXPECT_NEAR(degrees(s.station.latitude), -90, floatDegreesTolerance);
}

TEST_F(GpsReaderTest, OtherTypesAreSkippedUntilTheBound) {
    for (int second = 0; second < 10; ++second) {
        feedAt(second * 1000 + 500,
               "$GPGGA,1200" + std::to_string(10 + second) + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    }
    mc.sleeper.recordSleeps = true;
    readGpsPosition(s);
    EXPECT_EQ(messages, (std::vector<std::string>{"Reading GPS...", "Reading GPS...  FAILED!"}));
    EXPECT_TRUE(positionUnchanged());
    EXPECT_FALSE(dir.exists("KELVORIN.GPS"));
    // Six changes of the clock's seconds from a whole second, the link polled every millisecond,
    // the date and time line kept running; then the one-second result.
    EXPECT_EQ(mc.clock.millis, start + 7000);
    ASSERT_EQ(mc.sleeper.sleeps.size(), 6001u);
    EXPECT_EQ(std::count(mc.sleeper.sleeps.begin(), mc.sleeper.sleeps.end(), 1), 6000);
    EXPECT_EQ(mc.screen.rowText(4, 3, 23), " 1-OCT-2026  12:00:06");
}

TEST_F(GpsReaderTest, TheBoundCoversTheWholeRead) {
    feedAt(1500, gllSentence("120001"));
    feedAt(6500, gllSentence("120006"));
    readGpsPosition(s);
    EXPECT_EQ(messages.back(), "Reading GPS...  FAILED!");
    EXPECT_TRUE(positionUnchanged());

    // Started half a second into a clock second, the six second changes come after 5.5 s.
    mc.clock.millis = start + 20'500;
    readGpsPosition(s);
    EXPECT_EQ(mc.clock.millis, start + 20'500 + 5500 + 1000);

    feedAt(30'700, gllSentence("120030"));
    feedAt(31'700, gllSentence("120031"));
    mc.clock.millis = start + 30'000;
    readGpsPosition(s);
    EXPECT_EQ(messages.back(), "Reading GPS...  OK!");
    EXPECT_EQ(mc.clock.millis, start + 31'700 + 1000);
}

TEST_F(GpsReaderTest, TestOnlyModeLeavesThePositionAlone) {
    s.station.useGpsPosition = 0;
    // Only the arrival of sentences is tested: a receiver without a fix passes too.
    const std::string streams[] = {gllSentence("225444") + gllSentence("225445"),
                                   "$GPGLL,,,,,225446,V,*1D\r\n$GPGLL,,,,,225447,V,*1D\r\n"};
    for (const auto& stream : streams) {
        port().feed(stream);
        readGpsPosition(s);
        EXPECT_EQ(messages.back(), "Reading GPS...  OK!");
    }
    EXPECT_TRUE(positionUnchanged());
    EXPECT_FALSE(dir.exists("KELVORIN.GPS"));
}

TEST_F(GpsReaderTest, WhenNothingIsRead) {
    port().feed(gllSentence("225444") + gllSentence("225445"));
    const int fed = port().waiting();
    s.station.gpsPort = 0;
    readGpsPosition(s);
    // No read in the two minutes around the turn of the computer's day.
    s.station.gpsPort = gpsPortNumber;
    for (auto [day, hour, minute] : {std::tuple{1, 23, 59}, {2, 0, 0}}) {
        mc.clock.set(2026, 10, day, hour, minute, 30);
        readGpsPosition(s);
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(port().waiting(), fed);

    // Any type other than 1, 2 or 3 fails at once, without waiting for the bound.
    s.station.gpsSentence = 4;
    mc.clock.set(2026, 10, 2, 0, 1, 0);
    mc.sleeper.limitMillis = 0;
    const auto begun = mc.clock.millis;
    readGpsPosition(s);
    EXPECT_EQ(messages, (std::vector<std::string>{"Reading GPS...  FAILED!"}));
    EXPECT_EQ(mc.clock.millis, begun + 1000);
    EXPECT_EQ(port().waiting(), fed);
    EXPECT_TRUE(positionUnchanged());
}

TEST_F(GpsReaderTest, RecordThatCannotBeWrittenIsReportedAndThePositionTaken) {
    std::filesystem::create_directory(dir.path() / "KELVORIN.GPS");
    port().feed(gllSentence("225444") + gllSentence("225445"));
    readGpsPosition(s);
    EXPECT_EQ(message(), "Could not write KELVORIN.GPS (Is a directory). Retrying at next change.");
    EXPECT_NEAR(geodeticDegrees(s.station.latitude), 49 + 16.45 / 60, floatDegreesTolerance);
}

}  // namespace
}  // namespace station
