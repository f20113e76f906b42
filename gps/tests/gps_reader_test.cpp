#include "gps/gps.hpp"

#include "console/testsupport/memory.hpp"
#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace station {
namespace {

constexpr int gpsPortNumber = 2;

std::string gllSentence(const std::string& time, const std::string& latitude = "4916.45",
                        const std::string& longitude = "12311.12") {
    return "$GPGLL," + latitude + ",N," + longitude + ",W," + time + ",A,*1D\r\n";
}

// Counts what the reader asks of the tracker's screen.
struct CountingDisplay : GpsReadDisplay {
    int dateTimeLines = 0;
    int presents = 0;
    void showDateTime() override { ++dateTimeLines; }
    void present() override { ++presents; }
};

// The records the tracker lends the GPS reader, under the tracker's names for them.
struct Records {
    Station station;
    GpsReader gps;
    std::unique_ptr<SerialPort> gpsLink;
};

class GpsReaderTest : public ::testing::Test {
protected:
    GpsReaderTest() {
        mc.clock.set(2026, 10, 1, 12, 0, 0);
        start = mc.clock.millis;
        mc.sleeper.limitMillis = start + 60'000;
        s.station.gpsPort = gpsPortNumber;
        s.station.gpsBaud = 4800;
        s.station.useGpsPosition = 1;
        s.station.gpsSentence = 1;
        s.gpsLink = mc.serialPorts.open(gpsPortNumber, 4800);
    }

    GpsContext context() { return {s.station, s.gps, s.gpsLink.get(), mc.clock, mc.sleeper, display}; }
    MemorySerialPort& port() { return mc.serialPorts.port(gpsPortNumber); }

    station::testing::StationDir dir;
    MemoryConsole mc{dir.path()};
    CountingDisplay display;
    Records s;
    std::int64_t start = 0;
};

TEST_F(GpsReaderTest, TheSecondTimeStampBringsThePositionAndItsSentence) {
    port().feed(gllSentence("225444") + gllSentence("225445"));
    ASSERT_TRUE(gpsReadPossible(context()));
    const GpsReading reading = readGpsPosition(context());
    EXPECT_TRUE(reading.accepted);
    ASSERT_TRUE(reading.position.has_value());
    EXPECT_NEAR(reading.position->latitudeDegrees, 49 + 16.45 / 60, 1e-12);
    EXPECT_NEAR(reading.position->longitudeDegrees, -(123 + 11.12 / 60), 1e-12);
    EXPECT_EQ(reading.sentence, "GPGLL,4916.45,N,12311.12,W,225445,A,*1D\r");
    EXPECT_TRUE(recordGpsSentence(mc.files, reading.sentence));
    EXPECT_EQ(dir.read("KELVORIN.GPS"), "$GPGLL,4916.45,N,12311.12,W,225445,A,*1D\r\r\n");
    // Nothing waits for the sentences that have arrived: the clock has not moved.
    EXPECT_EQ(mc.clock.millis, start);

    s.station.useGpsPosition = 0;
    port().feed(gllSentence("225446") + gllSentence("225447"));
    const GpsReading testOnly = readGpsPosition(context());
    EXPECT_TRUE(testOnly.accepted);
    EXPECT_FALSE(testOnly.position.has_value());
}

TEST_F(GpsReaderTest, ANoShowKeepsTheScreenRunningUntilTheBound) {
    const GpsReading reading = readGpsPosition(context());
    EXPECT_FALSE(reading.accepted);
    EXPECT_FALSE(reading.position.has_value());
    EXPECT_EQ(mc.clock.millis, start + 6000);
    // One date and time line per millisecond poll; the screen shown at each of the six seconds.
    EXPECT_EQ(display.dateTimeLines, 6001);
    EXPECT_EQ(display.presents, 6);
}

TEST_F(GpsReaderTest, NoReadWithoutAPortALinkOrAroundMidnight) {
    EXPECT_TRUE(gpsReadPossible(context()));
    s.station.gpsPort = 0;
    EXPECT_FALSE(gpsReadPossible(context()));
    s.station.gpsPort = gpsPortNumber;
    mc.clock.set(2026, 10, 1, 23, 59, 30);
    EXPECT_FALSE(gpsReadPossible(context()));
    mc.clock.set(2026, 10, 2, 0, 1, 0);
    EXPECT_TRUE(gpsReadPossible(context()));
    s.gpsLink.reset();
    EXPECT_FALSE(gpsReadPossible(context()));
}

TEST_F(GpsReaderTest, ARecordThatCannotBeWrittenIsReported) {
    std::filesystem::create_directory(dir.path() / "KELVORIN.GPS");
    EXPECT_FALSE(recordGpsSentence(mc.files, "GPGLL,4916.45,N,12311.12,W,225445,A,*1D\r"));
}

TEST_F(GpsReaderTest, LineNoiseCannotGrowASentence) {
    const std::string good = "$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r";
    const std::string cases[] = {
        "noise\r\n,*",
        std::string(10'000, 'x'),        // no "$" at all
        "$" + std::string(10'000, 'A'),  // no carriage return
        "$GPGLL,4916.45,N,\x01\x02" + std::string("12311.12,W,225444,A,*1D\r"),
        "$GPGLL,4916.45,N,\n12311.12,W,225444,A,*1D\r",
        "$GPGLL,4916.45,N,\xff" + std::string("12311.12,W,225444,A,*1D\r"),
        "$GPGLL,4916.4",  // cut short by the next "$"
        "$GPGLL," + std::string(gpsLineLimitCharacters - 6, '9') + "\r",  // one beyond the limit
    };
    for (const auto& noise : cases) {
        SCOPED_TRACE(noise.substr(0, 20));
        s.gps.gpsElapsedSeconds = 0;
        port().feed(noise + good + "\n");
        readGpsSentence(context());
        EXPECT_EQ("$" + s.gps.gpsLine, good);
        EXPECT_EQ(port().waiting(), 1);  // the line feed waits for the next read
        port().incoming.clear();
    }
    const std::string longest = "GPGLL," + std::string(gpsLineLimitCharacters - 7, '9') + "\r";
    port().feed("$" + longest);
    readGpsSentence(context());
    EXPECT_EQ(s.gps.gpsLine, longest);
}

TEST_F(GpsReaderTest, NoiseOnlyEndsAtTheBoundWithABoundedLine) {
    mc.sleeper.onTime = [this](std::int64_t millis) {
        if (millis % 20 == 0) {
            port().feed("$" + std::string(gpsLineLimitCharacters + 20, 'Z'));
        }
        ASSERT_LT(s.gps.gpsLine.size(), gpsLineLimitCharacters);
    };
    s.gps.gpsElapsedSeconds = 0;
    readGpsSentence(context());
    EXPECT_EQ(s.gps.gpsElapsedSeconds, 6);
    EXPECT_EQ(mc.clock.millis, start + 6000);
}

}  // namespace
}  // namespace station
