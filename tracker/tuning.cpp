// Manual incremental tuning on the message line: the arrow keys shift the satellite's base
// frequencies, "T", "R", "D" and "I" choose which, "S" keeps them, "E" ends tuning.
#include "tracker/tuning.hpp"

#include "radio/tuning.hpp"
#include "text/numbers.hpp"
#include "text/picture.hpp"

#include <array>

namespace station {

namespace {

constexpr int tuningRow = 24;
constexpr int tuningLineColumn = 2;
constexpr std::string_view tuningLine =
    "TX:            RX:            Tuning:R         TX RX Direct Inverse Save Exit";
constexpr int modeLetterColumn = 39;
constexpr int arrowsColumn = 41;
constexpr std::string_view arrows = "\x18 \x19 \x1A \x1B ";
constexpr int uplinkColumn = 5;
constexpr int downlinkColumn = 20;
constexpr std::string_view frequencyMask = "########.##";

struct KeyLetter {
    int column;
    std::string_view letter;
};

constexpr std::array<KeyLetter, 6> keyLetters{{
    {49, "T"},
    {52, "R"},
    {55, "D"},
    {62, "I"},
    {70, "S"},
    {75, "E"},
}};

enum class StepKind { upDown, leftRight };

struct ArrowStep {
    char scanCode;
    StepKind kind;
    int sign;
};

constexpr std::array<ArrowStep, 4> arrowSteps{{
    {'H', StepKind::upDown, +1},
    {'P', StepKind::upDown, -1},
    {'M', StepKind::leftRight, +1},
    {'K', StepKind::leftRight, -1},
}};

void showFrequencies(TrackerState& s) {
    Screen& screen = s.screen();
    s.setNormalColours();
    screen.printAt(tuningRow, uplinkColumn, formatPicture(frequencyMask, s.frequencies.uplinkKhz));
    screen.printAt(tuningRow, downlinkColumn, formatPicture(frequencyMask, s.frequencies.downlinkKhz));
}

void drawTuningLine(TrackerState& s) {
    Screen& screen = s.screen();
    s.setNormalColours();
    screen.printAt(tuningRow, tuningLineColumn, tuningLine);
    screen.printAt(tuningRow, modeLetterColumn, s.tuning.tuningMode);
    screen.setColours(s.station.highlightColour, s.station.backgroundColour);
    screen.printAt(tuningRow, arrowsColumn, arrows);
    for (const KeyLetter& key : keyLetters) {
        screen.printAt(tuningRow, key.column, key.letter);
    }
    showFrequencies(s);
}

void selectTuning(TrackerState& s, const std::string& mode) {
    s.tuning.tuningMode = mode;
    s.setNormalColours();
    s.screen().printAt(tuningRow, modeLetterColumn, mode);
}

void exitTuning(TrackerState& s) {
    s.showMessage("");
    s.showStatus((s.trackingStarted() ? "Tracking " : "Waiting for ") + s.selection.satelliteDesignation);
    s.tuning.tuningMode.clear();
}

// The message line is the tuning line: show the failure, then give the line back to tuning.
void reportSaveFailure(TrackerState& s, const std::string& text) {
    s.setNormalColours();
    s.showMessage(text);
    s.pauseTwoSeconds();
    drawTuningLine(s);
}

}  // namespace

void enterTuning(TrackerState& s) {
    const std::string& designation = s.selection.satelliteDesignation;
    if (s.frequencies.noFrequencyData == 1) {
        // Without a frequency record there are no base frequencies to shift.
        s.showMessage("Cannot tune PPM data!!!  KELVORIN.FRC file has no data for " + designation + ".");
        s.pauseTwoSeconds();
        s.showMessage("");
        return;
    }
    s.tuning.tuningMode = "R";
    s.setNormalColours();
    s.showStatus("Manual incremental tuning " + designation);
    drawTuningLine(s);
}

void tuningKey(TrackerState& s, const std::string& key) {
    const std::string pressed = upperCase(key);
    if (pressed == "E") {
        exitTuning(s);
    } else if (pressed == "R" || pressed == "D" || pressed == "I") {
        selectTuning(s, pressed);
    } else if (pressed == "S") {
        saveTuning(s);
    } else if (pressed.size() == 2) {
        for (const ArrowStep& arrow : arrowSteps) {
            if (pressed[1] == arrow.scanCode) {
                const std::int32_t stepHz = arrow.kind == StepKind::upDown ? s.station.tuningStepUpDown
                                                                           : s.station.tuningStepLeftRight;
                // The increment is held in single precision.
                const float incrementKhz = static_cast<float>(stepHz / 1000.0);
                stepTuning(s, arrow.sign * incrementKhz);
                return;
            }
        }
    }
}

void stepTuning(TrackerState& s, double incrementKhz) {
    stepTuning(s.frequencies, s.tuning.tuningMode, incrementKhz);
    showFrequencies(s);
}

void saveTuning(TrackerState& s) {
    const std::string failure = saveTuning(s.console.files, s.selection.satelliteDesignation, s.frequencies);
    if (!failure.empty()) {
        reportSaveFailure(s, failure);
    }
}

}  // namespace station
