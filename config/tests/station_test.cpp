#include "config/station.hpp"
#include "console/program_exit.hpp"
#include "console/testsupport/station_dir.hpp"
#include "orbit/geodesy.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace station {
namespace {

// The failures a read gave; both programs end on every one of them.
struct RecordingHandler {
    std::vector<FileFailure> failures;
};

constexpr double degree = 3.1415926535898 / 180;

// The 44 values of a complete file, one per line.
std::vector<std::string> completeValues() {
    return {"Test Station remark", "keps.txt", "45", "-73.5", "5", "60", "1", "1", "10", "1",
            "1",  "90",  "120", "2",  "9600", "3",  "-1",  "y2", "4", "38400", "5e rest", "x",
            "3",  "1",  "0.3", "2",  "0", "28", "0",  "0",  "0",  "0", "116", "1", "10", "100",
            "7",  "4800", "1",  "3",  "1.5", "1",  "15", "14"};
}

std::string join(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const auto& line : lines) {
        text += line + end;
    }
    return text;
}

Station readFrom(const std::string& content, RecordingHandler& errors,
                 StationReader reader = StationReader::tracker) {
    testing::StationDir dir;
    dir.write("kelvorin.cfg", content);  // any case on disk
    Files files(dir.path());
    auto station = readStationConfig(files, reader);
    if (!station) {
        errors.failures.push_back(station.error());
        throw ProgramExit{0};
    }
    return *station;
}

TEST(StationConfig, ReadsAll44ValuesInFileOrder) {
    RecordingHandler errors;
    const Station s = readFrom(join(completeValues(), "\r\n"), errors);
    EXPECT_TRUE(errors.failures.empty());
    EXPECT_EQ(s.stationName, "TEST STATION REMARK");
    EXPECT_EQ(s.elementFileName, "KEPS.TXT");
    // A configured latitude of 45 degrees is used as about 44.8076 degrees (geocentric).
    EXPECT_NEAR(s.latitude / degree, 44.8076, 5e-5);
    EXPECT_FLOAT_EQ(s.longitude, static_cast<float>(-73.5 * degree));
    EXPECT_DOUBLE_EQ(s.minimumElevation, 5 * degree);
    EXPECT_FLOAT_EQ(s.searchStep, 1.0f);
    EXPECT_EQ(s.azimuthStopNorth, 1);
    EXPECT_EQ(s.rotator450, 1);
    EXPECT_FLOAT_EQ(s.trackingStep, static_cast<float>(10 * degree));
    EXPECT_EQ(s.flipEnabled, 1);
    EXPECT_EQ(s.parkEnabled, 1);
    EXPECT_FLOAT_EQ(s.parkAzimuth, static_cast<float>(90 * degree));
    EXPECT_DOUBLE_EQ(s.parkElevation, 120 * degree);
    EXPECT_EQ(s.rotatorInterface, RotatorInterface::aeText);
    EXPECT_EQ(s.rotatorBaud, 9600);
    EXPECT_EQ(s.rotatorPort, 3);
    EXPECT_FLOAT_EQ(s.utcOffsetHours, -1.0f);
    EXPECT_EQ(s.radioType, "Y2");
    EXPECT_EQ(s.radioPort, 4);
    EXPECT_EQ(s.radioBaud, 38400);
    EXPECT_EQ(s.radioAddress, "5E");
    EXPECT_EQ(s.txRadioAddress, "X");
    EXPECT_EQ(s.filterOption, 3);
    EXPECT_EQ(s.uplinkCorrection, 1);
    EXPECT_FLOAT_EQ(s.dopplerThresholdHz, 1.0f);  // 0.3 is raised to 1.0
    EXPECT_EQ(s.thirdBandOption, 2);
    EXPECT_EQ(s.converterLo[1], 0.0);
    EXPECT_EQ(s.converterLo[2], 0.0);
    EXPECT_EQ(s.converterLo[3], 28.0);
    EXPECT_EQ(s.converterLo[8], 116.0);
    EXPECT_EQ(s.quitAfterPass, 1);
    EXPECT_EQ(s.tuningStepLeftRight, 10);
    EXPECT_EQ(s.tuningStepUpDown, 100);
    EXPECT_EQ(s.gpsPort, 7);
    EXPECT_EQ(s.gpsBaud, 4800);
    EXPECT_EQ(s.useGpsPosition, 1);
    EXPECT_EQ(s.gpsSentence, 3);
    EXPECT_FLOAT_EQ(s.gpsTimeOffsetSeconds, 1.5f);
    EXPECT_EQ(s.backgroundColour, 1);
    EXPECT_EQ(s.foregroundColour, 15);
    EXPECT_EQ(s.highlightColour, 14);
}

TEST(StationConfig, CommentLinesAnywhereDoNotShiftValues) {
    std::vector<std::string> lines;
    for (const auto& value : completeValues()) {
        lines.push_back("; comment before " + value);
        lines.push_back(value);
    }
    lines.push_back(";trailing");
    RecordingHandler errors;
    const Station s = readFrom(join(lines, "\n"), errors);
    EXPECT_EQ(s.radioType, "Y2");
    EXPECT_EQ(s.highlightColour, 14);
}

TEST(StationConfig, EveryLineEndIsAccepted) {
    for (const std::string end : {"\n", "\r", "\r\n"}) {
        RecordingHandler errors;
        EXPECT_EQ(readFrom(join(completeValues(), end), errors).highlightColour, 14) << int(end[0]);
    }
}

TEST(StationConfig, BlankBeforeSemicolonIsAValueNotAComment) {
    auto values = completeValues();
    values.insert(values.begin(), " ; station");
    RecordingHandler errors;
    const Station s = readFrom(join(values, "\n"), errors);
    EXPECT_EQ(s.stationName, " ; STATION");
    EXPECT_EQ(s.elementFileName, "TEST STATION REMARK");
}

TEST(StationConfig, ShortFileGivesZerosAndEmptyTexts) {
    RecordingHandler errors;
    const Station s = readFrom("MY STATION\nkeps.txt\n52.35\n", errors);
    EXPECT_TRUE(errors.failures.empty());
    EXPECT_EQ(s.elementFileName, "KEPS.TXT");
    EXPECT_EQ(s.longitude, 0.0f);
    EXPECT_EQ(s.radioType, "");
    EXPECT_EQ(s.rotatorPort, 0);
    EXPECT_EQ(s.gpsPort, 0);
    EXPECT_FLOAT_EQ(s.dopplerThresholdHz, 1.0f);
    EXPECT_EQ(s.highlightColour, 0);
}

TEST(StationConfig, GarbageLinesReadAsZeroOrText) {
    auto values = completeValues();
    values[2] = std::string("\0\0garbage", 9);  // latitude
    values[5] = std::string(200000, 'x');        // search step: a very long line
    values[14] = "1e999";                        // rotator speed
    values[24] = "5";                            // Doppler threshold stays 5
    RecordingHandler errors;
    const Station s = readFrom(join(values, "\n"), errors);
    EXPECT_TRUE(errors.failures.empty());
    EXPECT_EQ(s.latitude, 0.0f);
    EXPECT_EQ(s.searchStep, 0.0f);
    EXPECT_EQ(s.rotatorBaud, 0);
    EXPECT_FLOAT_EQ(s.dopplerThresholdHz, 5.0f);
}

TEST(StationConfig, IntegerFieldsRoundHalvesToEven) {
    auto values = completeValues();
    values[13] = "2.5";  // rotator interface
    values[15] = "3.5";  // rotator port
    RecordingHandler errors;
    const Station s = readFrom(join(values, "\n"), errors);
    EXPECT_EQ(s.rotatorInterface, RotatorInterface::aeText);
    EXPECT_EQ(s.rotatorPort, 4);
}

TEST(StationConfig, MissingFileIsToldApart) {
    testing::StationDir dir;
    Files files(dir.path());
    const auto missing = readStationConfig(files);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), FileFailure::notFound);
}

TEST(StationConfig, SixteenBitOverflowIsABadValue) {
    auto values = completeValues();
    values[15] = "70000";  // rotator port
    RecordingHandler errors;
    EXPECT_THROW(readFrom(join(values, "\n"), errors), ProgramExit);
    ASSERT_EQ(errors.failures.size(), 1u);
    EXPECT_EQ(errors.failures[0], FileFailure::badValue);
}

// 1E41 is a finite double but overflows single precision: an infinite search step stalled the
// pass search of both programs, an infinite UTC offset made every day number NaN.
TEST(StationConfig, ValuesNotFiniteOnceStoredAreBadValues) {
    const std::vector<std::pair<std::size_t, std::string>> overflowing = {
        {2, "1E41"},    // latitude
        {3, "-1E39"},   // longitude
        {5, "1E41"},    // search step
        {8, "1E41"},    // tracking step
        {11, "-1E41"},  // park azimuth
        {16, "-1E41"},  // UTC offset
        {24, "1E39"},   // Doppler threshold
        {40, "1E39"},   // GPS time offset
    };
    for (const StationReader reader : {StationReader::tracker, StationReader::scheduler}) {
        for (const auto& [index, text] : overflowing) {
            auto values = completeValues();
            values[index] = text;
            RecordingHandler errors;
            EXPECT_THROW(readFrom(join(values, "\n"), errors, reader), ProgramExit) << index;
            EXPECT_EQ(errors.failures, std::vector<FileFailure>{FileFailure::badValue})
                << index;
        }
    }
    // The minimum elevation is double precision in the tracker, single in the scheduler.
    auto values = completeValues();
    values[4] = "1E300";
    RecordingHandler trackerErrors;
    EXPECT_NO_THROW(readFrom(join(values, "\n"), trackerErrors));
    RecordingHandler schedulerErrors;
    EXPECT_THROW(readFrom(join(values, "\n"), schedulerErrors, StationReader::scheduler), ProgramExit);
    EXPECT_EQ(schedulerErrors.failures, std::vector<FileFailure>{FileFailure::badValue});
}

TEST(StationConfig, LargeFiniteValuesAreKept) {
    auto values = completeValues();
    values[5] = "3E38";   // search step, seconds: 5E36 minutes
    values[16] = "-3E38";  // UTC offset
    RecordingHandler errors;
    const Station s = readFrom(join(values, "\n"), errors);
    EXPECT_TRUE(errors.failures.empty());
    EXPECT_FLOAT_EQ(s.searchStep, 5e36f);
    EXPECT_FLOAT_EQ(s.utcOffsetHours, -3e38f);
}

// Single-precision 90 degrees lies just beyond the right angle, where the tangent of the
// tracker's conversion flips sign: the north pole became the south pole.
TEST(StationConfig, PolesStayPoles) {
    for (const StationReader reader : {StationReader::tracker, StationReader::scheduler}) {
        for (const double pole : {90.0, -90.0}) {
            auto values = completeValues();
            values[2] = std::to_string(pole);
            RecordingHandler errors;
            const Station s = readFrom(join(values, "\n"), errors, reader);
            EXPECT_NEAR(s.latitude / degree, pole, 1e-5) << pole;
        }
    }
    EXPECT_EQ(trackerGeocentricLatitude(static_cast<float>(90 * degree)), programPi / 2);
    EXPECT_EQ(trackerGeocentricLatitude(90 * degree), programPi / 2);
    EXPECT_EQ(trackerGeocentricLatitude(-90 * degree), -programPi / 2);
    EXPECT_GT(trackerGeocentricLatitude(static_cast<float>(89.9999 * degree)), 89.999 * degree);
}

TEST(StationConfig, SchedulerReadsPortsAsHexAndItsOwnLatitude) {
    auto values = completeValues();
    values[15] = "10";  // rotator port: &H10
    RecordingHandler errors;
    const Station s = readFrom(join(values, "\n"), errors, StationReader::scheduler);
    EXPECT_EQ(s.rotatorPort, 16);
    EXPECT_EQ(s.gpsPort, 7);  // ports 1 to 9 read the same either way
    EXPECT_EQ(s.converterLo[3], 0.0);  // converters are discarded
    EXPECT_DOUBLE_EQ(s.minimumElevation, static_cast<float>(5 * degree));
    // The Earth-centred vector gives the geocentric latitude of the scheduler's ellipsoid.
    EXPECT_NEAR(s.latitude / degree, 44.8076, 1e-3);
}

// Values 45 and 46 are kept as text; 47 chooses the orbit model; 48, a directory, keeps its case.
// A file of 44 values, or one whose optional lines are empty, reads as it did before they existed.
TEST(StationConfig, OptionalValuesAfterTheFortyFourth) {
    struct Case {
        std::vector<std::string> extra;
        std::string radioDaemon;
        std::string rotatorDaemon;
        OrbitModel model;
        std::string statusDirectory;
    };
    const std::vector<Case> cases = {
        {{}, "", "", OrbitModel::builtIn, ""},
        {{"", ""}, "", "", OrbitModel::builtIn, ""},
        {{"", "", ""}, "", "", OrbitModel::builtIn, ""},
        {{"", "", "1"}, "", "", OrbitModel::sgp4, ""},
        {{"localhost:4532", "rotators:4533", "1 the model sets are made for"}, "LOCALHOST:4532",
         "ROTATORS:4533", OrbitModel::sgp4, ""},
        {{"", "", "0"}, "", "", OrbitModel::builtIn, ""},
        {{"", "", "sgp4"}, "", "", OrbitModel::builtIn, ""},  // not a number: 0, as in every field
        {{"", "", "1", " \t/var/lib/Station Status  ", "ignored"}, "", "", OrbitModel::sgp4,
         "/var/lib/Station Status"},
    };
    for (const StationReader reader : {StationReader::tracker, StationReader::scheduler}) {
        for (const Case& c : cases) {
            auto values = completeValues();
            values.insert(values.end(), c.extra.begin(), c.extra.end());
            RecordingHandler errors;
            const Station s = readFrom(join(values, "\r\n") + "; last comment\r\n", errors, reader);
            SCOPED_TRACE(join(c.extra, "|"));
            EXPECT_TRUE(errors.failures.empty());
            EXPECT_EQ(s.highlightColour, 14);
            EXPECT_EQ(s.radioDaemonAddress, c.radioDaemon);
            EXPECT_EQ(s.rotatorDaemonAddress, c.rotatorDaemon);
            EXPECT_EQ(s.orbitModel, c.model);
            EXPECT_EQ(s.statusDirectory, c.statusDirectory);
        }
    }
}

// A number that names no model stops both programs rather than predicting with a model the
// operator did not choose.
TEST(StationConfig, OrbitModelNamingNoModelIsABadValue) {
    for (const StationReader reader : {StationReader::tracker, StationReader::scheduler}) {
        for (const std::string text : {"2", "-1", "70000"}) {
            auto values = completeValues();
            values.insert(values.end(), {"", "", text});
            RecordingHandler errors;
            EXPECT_THROW(readFrom(join(values, "\n"), errors, reader), ProgramExit) << text;
            ASSERT_EQ(errors.failures.size(), 1u) << text;
            EXPECT_EQ(errors.failures[0], FileFailure::badValue) << text;
        }
    }
}

// The SGP4 model stands the station on the ellipsoid at the latitude as configured, not at the
// geocentric one the built-in model works with.
TEST(StationConfig, KeepsTheGeodeticLatitudeForTheSgp4Model) {
    for (const StationReader reader : {StationReader::tracker, StationReader::scheduler}) {
        RecordingHandler errors;
        const Station s = readFrom(join(completeValues(), "\n"), errors, reader);
        EXPECT_EQ(s.geodeticLatitude, static_cast<float>(45 * degree));
        EXPECT_LT(s.latitude, s.geodeticLatitude);
    }
}

}  // namespace
}  // namespace station
