#include "gps/gps.hpp"

#include "console/testsupport/memory.hpp"
#include "console/testsupport/station_dir.hpp"
#include "gps/tests/gps_station.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace station {
namespace {

using gpstest::gllSentence;
using gpstest::gpsPortNumber;

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
        start = gpstest::startAtNoon(mc);
        gpstest::gpsOnPortTwo(s.station);
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

TEST_F(GpsReaderTest, AcceptanceNeedsAStoredStampAndADifferentOne) {
    struct Case {
        std::vector<std::string> stamps;
        bool accepted;
    };
    const Case cases[] = {
        {{"225444", "225444"}, false},
        {{"225444", "225444", "225445"}, true},
        {{"", "225444"}, false},  // an empty stamp is only stored
        {{"", "", "225444", "225445"}, true},
        {{"225444", ""}, true},  // an empty stamp after a stored one differs from it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stamps.size());
        std::string stream;
        for (std::size_t i = 0; i < c.stamps.size(); ++i) {
            stream += gllSentence(c.stamps[i], std::to_string(10 + i) + "00.00");
        }
        port().feed(stream);
        const GpsReading reading = readGpsPosition(context());
        EXPECT_EQ(reading.accepted, c.accepted);
        // The position is the one of the sentence that brought the new stamp.
        EXPECT_EQ(reading.position.has_value(), c.accepted);
        if (reading.position) {
            EXPECT_NEAR(reading.position->latitudeDegrees, 10.0 + c.stamps.size() - 1, 1e-12);
        }
    }
}

TEST_F(GpsReaderTest, SentencesWithoutAValidPositionAreSkipped) {
    port().feed("$GPGLL,,,,,225443,V,*1D\r\n"               // no fix
                "$GPGLL,4916.45,N,12311.12\r\n"             // fewer fields than GLL needs
                "$GPGLL,4916.45,N,12311.12,W\r\n"
                "$GPGLL,49x6.45,N,12311.12,W,225444,A,*1D\r\n"  // not a number
                "$GPGLL,9516.45,N,12311.12,W,225445,A,*1D\r\n"  // beyond the pole
                "$GPGLL,4916.45,N,19311.12,W,225446,A,*1D\r\n"  // beyond the date line
                "$GPGLL,4916.45,N,12311.12,W,225447,A,*1D\r\n"
                "$GPGLL,,,,,225448,V,*1D\r\n");
    const GpsReading bad = readGpsPosition(context());
    EXPECT_FALSE(bad.accepted);
    EXPECT_FALSE(bad.position.has_value());

    // The read goes on past the bad sentences to the next good one.
    port().feed(gllSentence("225450") + "$GPGLL,,,,,225451,V,*1D\r\n" + gllSentence("225452", "5000.00", "00100.00"));
    const GpsReading good = readGpsPosition(context());
    EXPECT_TRUE(good.accepted);
    ASSERT_TRUE(good.position.has_value());
    EXPECT_NEAR(good.position->latitudeDegrees, 50, 1e-12);
    EXPECT_NEAR(good.position->longitudeDegrees, -1, 1e-12);
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
    EXPECT_TRUE(gpsReadAllowedAt(LocalTime{2026, 10, 1, 23, 58, 59}));
    EXPECT_TRUE(gpsReadAllowedAt(LocalTime{2026, 10, 2, 0, 1, 0}));
    EXPECT_TRUE(gpsReadAllowedAt(LocalTime{2026, 10, 2, 12, 0, 0}));
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
