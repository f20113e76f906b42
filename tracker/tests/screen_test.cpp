#include "tracker/screen.hpp"
#include "tracker_fixture.hpp"

#include <algorithm>
#include <cmath>

namespace station::trackertest {
namespace {

const std::string h78 = repeated("═", 78);

// The screen as an operator sees it after drawScreen, for a station without a GPS port.
std::vector<std::string> expectedScreen() {
    return {
        "╔" + h78 + "╗",
        "║ KELVORIN 4.1 dev          SATELLITE TRACKING SYSTEM                by VANTREL║",
        "╠" + repeated("═", 24) + "╦" + repeated("═", 53) + "╣",
        "║                        ║     Status:                                         ║",
        "╠" + repeated("═", 24) + "╩" + repeated("═", 23) + "╦" + repeated("═", 29) + "╣",
        "║ Satellite position    Latitude:                ║                             ║",
        "║                      Longitude:                ║                             ║",
        "║                       Altitude:                ║                             ║",
        "║                          Phase:                ║                             ║",
        "║                                                ║                             ║",
        "║ Seen from TEST STATION Azimuth:                ╠" + repeated("═", 29) + "╣",
        "║                      Elevation:                ║     AOS:                    ║",
        "║                          Range:                ║     LOS:                    ║",
        "║                     Range rate:                ║     Max El:                 ║",
        "║                                                ╠" + repeated("═", 29) + "╣",
        "║ Rotator status        Flipping:                ║     Kelvorin commands:      ║",
        "║                        Azimuth:                ║                             ║",
        "║                      Elevation:                ║  Automatic   Manual   Quit  ║",
        "║                                                ║ ┌" + repeated("─", 14) + "┴" + repeated("─", 10) +
            "┐ ║",
        "║ Frequency    TX:              RX:              ║ │  Stop   Track -> Tune   │ ║",
        "╠" + repeated("═", 48) + "╣ │        Calibrate        │ ║",
        "║ Satellite selection:  Automatic                ║ └" + repeated("─", 25) + "┘ ║",
        "╠" + repeated("═", 48) + "╩" + repeated("═", 29) + "╣",
        "║" + std::string(78, ' ') + "║",
        "╚" + h78 + "╝",
    };
}

class ScreenTest : public TrackerTest {};

TEST_F(ScreenTest, DrawScreenMatchesTheLayoutCellByCell) {
    loadStation();
    drawScreen(s);
    const auto expected = expectedScreen();
    for (int row = 1; row <= Screen::rows; ++row) {
        EXPECT_EQ(unicodeRow(mc.screen, row), expected[static_cast<std::size_t>(row - 1)]) << "row " << row;
    }
}

TEST_F(ScreenTest, CommandBoxWithAGpsPortOffersTheGpsKey) {
    loadStation({{37, "2"}});
    drawScreen(s);
    EXPECT_EQ(unicodeRow(mc.screen, 21, 50), "╣ │    Calibrate    GPS     │ ║");
    EXPECT_EQ(mc.screen.cell(21, 57).foreground, 14);
    EXPECT_EQ(mc.screen.cell(21, 70).foreground, 14);
    EXPECT_EQ(mc.screen.cell(21, 61).foreground, 15);
}

TEST_F(ScreenTest, CommandLettersAloneAreInTheHighlightColour) {
    loadStation({{42, "1"}, {43, "7"}, {44, "12"}});
    drawScreen(s);
    const std::vector<std::pair<int, int>> letters = {{18, 53}, {18, 65}, {18, 74}, {20, 55},
                                                      {20, 62}, {20, 71}, {21, 61}};
    for (int row = 1; row <= Screen::rows; ++row) {
        for (int column = 1; column <= Screen::columns; ++column) {
            const bool letter = std::find(letters.begin(), letters.end(), std::pair{row, column}) != letters.end();
            const Cell& cell = mc.screen.cell(row, column);
            EXPECT_EQ(cell.foreground, letter ? 12 : 7) << row << "," << column;
            EXPECT_EQ(cell.background, 1) << row << "," << column;
        }
    }
    // Later text is written in the normal colours again.
    EXPECT_EQ(mc.screen.foreground(), 7);
    EXPECT_EQ(mc.screen.background(), 1);
}

TEST_F(ScreenTest, ALongStationNameStopsAtTheInnerFrame) {
    loadStation({{1, "A STATION NAME FAR TOO LONG FOR ITS PLACE ON THE SCREEN"}});
    drawScreen(s);
    EXPECT_EQ(unicodeRow(mc.screen, 11),
              "║ Seen from A STATION NAMAzimuth:  LONG FOR ITS P╠" + repeated("═", 29) + "╣");
}

TEST_F(ScreenTest, SatelliteValuesInTheirMasks) {
    loadStation();
    drawScreen(s);
    const double radians = s.constants.radiansPerDegree;
    s.satellite.latitude = -12.3456 * radians;  // geocentric; shown geodetic
    s.satellite.longitude = -123.456 * radians;
    s.satellite.altitude = 419.96;
    s.satellite.phase = 255.996f;
    s.satellite.azimuth = 359.994 * radians;
    s.satellite.elevation = -3.5 * radians;
    s.satellite.range = 2345.67;
    s.satellite.rangeRate = 6.125;  // approaching: shown negative
    showSatelliteValues(s);
    const double geodetic = std::atan(std::tan(-12.3456 * radians) / std::pow(1 - 0.0033528106647474805, 2));
    EXPECT_NEAR(geodetic / radians, -12.4262, 0.0001);
    EXPECT_EQ(mc.screen.rowText(6, 36, 44), "  -12.43 ");
    EXPECT_EQ(mc.screen.rowText(7, 36, 44), " -123.46 ");
    EXPECT_EQ(mc.screen.rowText(8, 36, 44), "   420.0 ");
    EXPECT_EQ(mc.screen.rowText(9, 36, 44), "  256.00 ");
    EXPECT_EQ(mc.screen.rowText(11, 36, 44), "  359.99 ");
    EXPECT_EQ(mc.screen.rowText(12, 36, 44), "   -3.50 ");
    EXPECT_EQ(mc.screen.rowText(13, 36, 44), "  2345.7 ");
    EXPECT_EQ(mc.screen.rowText(14, 36, 44), "   -6.13 ");
    // Printed with a line end: the cursor is at the start of the row after the last field.
    EXPECT_EQ(mc.screen.cursorRow(), 15);
    EXPECT_EQ(mc.screen.cursorColumn(), 1);
}

// The SGP4 model gives the latitude geodetic already: shown as it is.
TEST_F(ScreenTest, AGeodeticLatitudeIsShownAsItIs) {
    loadStation();
    drawScreen(s);
    s.satellite.latitude = -12.3456 * s.constants.radiansPerDegree;
    s.satellite.latitudeGeodetic = true;
    showSatelliteValues(s);
    EXPECT_EQ(mc.screen.rowText(6, 36, 44), "  -12.35 ");
}

// Without a position only the satellite's block is blanked; the pass and element panels stay.
TEST_F(ScreenTest, BlankSatelliteValuesClearsThePositionBlockAlone) {
    loadStation();
    drawScreen(s);
    for (int row = 2; row <= 24; ++row) {
        mc.screen.printAt(row, 2, std::string(78, 'x'));
    }
    blankSatelliteValues(s);
    for (int row = 6; row <= 14; ++row) {
        EXPECT_EQ(mc.screen.rowText(row, 2, 79), std::string(34, 'x') + std::string(8, ' ') + std::string(36, 'x'))
            << "row " << row;
    }
    for (int row : {5, 15, 20}) {
        EXPECT_EQ(mc.screen.rowText(row, 2, 79), std::string(78, 'x')) << "row " << row;
    }
}

TEST_F(ScreenTest, ValuesTooWideForTheirMasksArePrintedWholeAfterAPercentSign) {
    loadStation();
    drawScreen(s);
    s.satellite.altitude = 123456.78;
    s.satellite.range = -98765.4;
    s.satellite.rangeRate = -12345.6;
    showSatelliteValues(s);
    EXPECT_EQ(mc.screen.rowText(8, 37, 45), "%123456.8");
    EXPECT_EQ(mc.screen.rowText(13, 37, 45), "%-98765.4");
    EXPECT_EQ(mc.screen.rowText(14, 37, 45), "%12345.60");
}

TEST_F(ScreenTest, BlankValueFieldsClearsEveryFieldAndNothingElse) {
    loadStation();
    drawScreen(s);
    for (int row = 2; row <= 24; ++row) {
        mc.screen.printAt(row, 2, std::string(78, 'x'));
    }
    blankValueFields(s);
    auto x = [](int n) { return std::string(static_cast<std::size_t>(n), 'x'); };
    auto blank = [](int n) { return std::string(static_cast<std::size_t>(n), ' '); };
    // Columns 2 to 79 of rows 6 to 14.
    const std::vector<std::string> expected = {
        x(34) + blank(8) + x(9) + blank(27),
        x(34) + blank(8) + x(9) + blank(27),
        x(34) + blank(8) + x(9) + blank(27),
        x(34) + blank(8) + x(9) + blank(27),
        x(34) + blank(8) + x(9) + blank(27),
        x(34) + blank(8) + x(36),
        x(34) + blank(8) + x(16) + blank(13) + x(7),
        x(34) + blank(8) + x(16) + blank(13) + x(7),
        x(34) + blank(8) + x(19) + blank(10) + x(7),
    };
    for (int row = 6; row <= 14; ++row) {
        EXPECT_EQ(mc.screen.rowText(row, 2, 79), expected[static_cast<std::size_t>(row - 6)]) << "row " << row;
    }
    EXPECT_EQ(mc.screen.rowText(20, 2, 79), x(18) + blank(11) + x(6) + blank(11) + x(32));
    for (int row : {2, 3, 4, 5, 15, 19, 21, 24}) {
        EXPECT_EQ(mc.screen.rowText(row, 2, 79), std::string(78, 'x')) << "row " << row;
    }
}

TEST_F(ScreenTest, AShorterStatusOrMessageLeavesNothingOfTheLongerOne) {
    loadStation();
    drawScreen(s);
    s.showStatus("Waiting for A-VERY-LONG-DESIGNATION~MODE");
    s.showStatus("Idling");
    EXPECT_EQ(mc.screen.rowText(4, 32, 80), "Status: Idling" + std::string(34, ' ') + "\xBA");

    s.showMessage("Could not find KELVORIN.FRC file. Showing Doppler PPM.");
    s.showMessage("OK");
    EXPECT_EQ(mc.screen.rowText(24), "\xBA OK" + std::string(75, ' ') + "\xBA");
    EXPECT_EQ(mc.screen.cursorRow(), 24);
    EXPECT_EQ(mc.screen.cursorColumn(), 5);
}

TEST_F(ScreenTest, TextsTooLongForTheirLineStopBeforeTheFrame) {
    loadStation();
    drawScreen(s);
    s.showStatus("Tracking " + std::string(50, 'N'));
    EXPECT_EQ(mc.screen.rowText(4, 40, 80), "Tracking " + std::string(31, 'N') + "\xBA");
    s.showMessage("No data for " + std::string(80, 'N') + " in frequency file.");
    EXPECT_EQ(mc.screen.rowText(24), "\xBA " + ("No data for " + std::string(65, 'N')) + "\xBA");
}

TEST_F(ScreenTest, PassTimesAreLocalTimesOfDay) {
    loadStation();
    drawScreen(s);
    s.pass.aosLocal = 280.5 + 1.0 / 86400 * 3723.5;  // 13:02:03 and a half
    s.pass.losLocal = 280.999999;
    s.pass.maximumElevation = 45.26 * s.constants.radiansPerDegree;
    showPassTimes(s);
    EXPECT_EQ(mc.screen.rowText(12, 56, 69), "AOS: 13:02:03 ");
    EXPECT_EQ(mc.screen.rowText(13, 56, 69), "LOS: 23:59:59 ");
    EXPECT_EQ(mc.screen.rowText(14, 56, 69), "Max El:  45.3 ");
}

}  // namespace
}  // namespace station::trackertest
