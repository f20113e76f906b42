#include "tracker/screen.hpp"

#include "orbit/orbit_model.hpp"
#include "station/screen_layout.hpp"
#include "text/picture.hpp"

#include <algorithm>
#include <iterator>
#include <limits>
#include <span>
#include <string>

namespace station {

namespace {

struct Label {
    int row;
    int column;
    std::string_view text;
};

// Drawn after the station line, whose end "Azimuth: " covers when the name is long.
constexpr Label labels[] = {
    {2, 29, "SATELLITE TRACKING SYSTEM                by VANTREL"},
    {4, 32, "Status: "},
    {6, 3, "Satellite position    Latitude: "},
    {7, 24, "Longitude: "},
    {8, 25, "Altitude: "},
    {9, 28, "Phase:"},
    {11, 26, "Azimuth: "},
    {12, 24, "Elevation: "},
    {13, 28, "Range: "},
    {14, 23, "Range rate: "},
    {16, 3, "Rotator status        Flipping:"},
    {17, 26, "Azimuth: "},
    {18, 24, "Elevation: "},
    {20, 3, "Frequency    TX:              RX:"},
    {12, 56, "AOS:"},
    {13, 56, "LOS:"},
    {14, 56, "Max El:"},
    {22, 3, "Satellite selection:  Automatic"},
    {16, 56, "Kelvorin commands:"},
    {18, 53, "Automatic   Manual   Quit"},
    // Corner, 14 lines, up tee, 10 lines, corner.
    {19, 52,
     "\xDA"
     "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
     "\xC1"
     "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
     "\xBF"},
    {20, 52, "\xB3  Stop   Track -> Tune   \xB3"},
    {21, 52, "\xB3        Calibrate        \xB3"},
    // Corner, 25 lines, corner.
    {22, 52,
     "\xC0"
     "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
     "\xD9"},
};

constexpr std::string_view calibrateWithGpsRow = "\xB3    Calibrate    GPS     \xB3";

struct Letter {
    int row;
    int column;
    std::string_view letter;
};

constexpr Letter commandLetters[] = {
    {18, 53, "A"}, {18, 65, "M"}, {18, 74, "Q"}, {20, 55, "S"}, {20, 62, "T"}, {20, 71, "T"},
};
constexpr Letter withGpsLetters[] = {{21, 57, "C"}, {21, 70, "G"}};
constexpr Letter withoutGpsLetters[] = {{21, 61, "C"}};

struct Blanks {
    int row;
    int column;
    int count;
};

constexpr Blanks valueFields[] = {
    {6, 36, 8},   {7, 36, 8},   {8, 36, 8},   {9, 36, 8},   {10, 36, 8},  {11, 36, 8},
    {12, 36, 8},  {13, 36, 8},  {14, 36, 8},  {20, 20, 11}, {20, 37, 11}, {6, 53, 27},
    {7, 53, 27},  {8, 53, 27},  {9, 53, 27},  {10, 53, 27}, {12, 60, 13}, {13, 60, 13},
    {14, 63, 10},
};
// The first nine: the satellite-position block.
constexpr std::size_t satelliteValueFields = 9;

struct AgeNote {
    int maximumAge;  // days, inclusive
    const char* first;
    const char* second;
};

constexpr AgeNote ageNotes[] = {
    {30, "This will give high", "precision. "},
    {60, "This will give slightly", "degraded precision."},
    {std::numeric_limits<int>::max(), "Update them as soon", "as possible."},
};

// The divider between the satellite's values and the pass and command panels.
constexpr int rightPanelColumn = 50;
// "Seen from " and the station name end at the left panel's inner edge so a long name cannot
// break the frame at columns 50 and 80.
constexpr int leftPanelLastColumn = rightPanelColumn - 1;

void printLetters(Screen& screen, std::span<const Letter> letters) {
    for (const Letter& letter : letters) {
        screen.printAt(letter.row, letter.column, letter.letter);
    }
}

void printValue(Screen& screen, int row, int column, std::string_view mask, double value) {
    screen.printAt(row, column, formatPicture(mask, value));
    screen.newLine();
}

}  // namespace

void drawScreen(TrackerState& tracker) {
    Screen& screen = tracker.screen();
    const Station& station = tracker.station;
    tracker.setNormalColours();
    screen.clear();
    drawProgramFrame(screen, rightPanelColumn, {11, 15});

    screen.printAt(2, 3, programTitle);
    const std::string seenFrom = "Seen from " + station.stationName;
    screen.printAt(11, 3, std::string_view(seenFrom).substr(0, leftPanelLastColumn - 3 + 1));
    for (const Label& label : labels) {
        screen.printAt(label.row, label.column, label.text);
    }
    const bool withGps = station.gpsPort > 0;
    if (withGps) {
        screen.printAt(21, 52, calibrateWithGpsRow);
    }

    screen.setColours(station.highlightColour, station.backgroundColour);
    printLetters(screen, commandLetters);
    if (withGps) {
        printLetters(screen, withGpsLetters);
    } else {
        printLetters(screen, withoutGpsLetters);
    }
    tracker.setNormalColours();
}

void showSatelliteValues(TrackerState& tracker) {
    Screen& screen = tracker.screen();
    const OrbitConstants& c = tracker.constants;
    const SatelliteState& sat = tracker.satellite;
    printValue(screen, 6, 37, "####.##", shownLatitude(c, sat) * c.degreesPerRadian);
    printValue(screen, 7, 37, "####.##", sat.longitude * c.degreesPerRadian);
    printValue(screen, 8, 37, "#####.#", sat.altitude);
    printValue(screen, 9, 38, "###.##", sat.phase);
    printValue(screen, 11, 37, "####.##", sat.azimuth * c.degreesPerRadian);
    printValue(screen, 12, 37, "####.##", sat.elevation * c.degreesPerRadian);
    printValue(screen, 13, 37, "#####.#", sat.range);
    // The orbital core counts an approaching satellite positive; the screen shows it negative.
    printValue(screen, 14, 37, "####.##", -sat.rangeRate);
}

void blankValueFields(TrackerState& tracker) {
    for (const Blanks& field : valueFields) {
        tracker.screen().printAt(field.row, field.column, std::string(static_cast<std::size_t>(field.count), ' '));
    }
}

void blankSatelliteValues(TrackerState& tracker) {
    for (const Blanks& field : std::span(valueFields).first(satelliteValueFields)) {
        tracker.screen().printAt(field.row, field.column, std::string(static_cast<std::size_t>(field.count), ' '));
    }
}

void showPassTimes(TrackerState& tracker) {
    Screen& screen = tracker.screen();
    screen.printAt(12, 61, timeOfDayText(tracker.pass.aosLocal));
    screen.printAt(13, 61, timeOfDayText(tracker.pass.losLocal));
    screen.printAt(14, 65, formatPicture("##.#", tracker.pass.maximumElevation * tracker.constants.degreesPerRadian));
}

void showSelectionMode(TrackerState& tracker, std::string_view text) { tracker.screen().printAt(22, 25, text); }

void showElementAge(Screen& screen, const KeplerianElementSet& elements, const std::string& lookupName,
                    int year, double now) {
    const std::int16_t age = elementAgeDays(elements, year, now);
    screen.printAt(7, 53, "Your Keps for " + lookupName);
    screen.printAt(8, 53, "are " + formatInteger(age) + " " + " days old.");
    const auto note = std::find_if(std::begin(ageNotes), std::end(ageNotes),
                                   [age](const AgeNote& n) { return age <= n.maximumAge; });
    screen.printAt(9, 53, note->first);
    screen.printAt(10, 53, note->second);
}

}  // namespace station
