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

void showFrequencies(TrackerState& tracker) {
    Screen& screen = tracker.screen();
    tracker.setNormalColours();
    screen.printAt(tuningRow, uplinkColumn, formatPicture(frequencyMask, tracker.frequencies.uplinkKhz));
    screen.printAt(tuningRow, downlinkColumn, formatPicture(frequencyMask, tracker.frequencies.downlinkKhz));
}

void drawTuningLine(TrackerState& tracker) {
    Screen& screen = tracker.screen();
    tracker.setNormalColours();
    screen.printAt(tuningRow, tuningLineColumn, tuningLine);
    screen.printAt(tuningRow, modeLetterColumn, tracker.tuning.tuningMode);
    screen.setColours(tracker.station.highlightColour, tracker.station.backgroundColour);
    screen.printAt(tuningRow, arrowsColumn, arrows);
    for (const KeyLetter& key : keyLetters) {
        screen.printAt(tuningRow, key.column, key.letter);
    }
    showFrequencies(tracker);
}

void selectTuning(TrackerState& tracker, const std::string& mode) {
    tracker.tuning.tuningMode = mode;
    tracker.setNormalColours();
    tracker.screen().printAt(tuningRow, modeLetterColumn, mode);
}

void exitTuning(TrackerState& tracker) {
    tracker.showMessage("");
    tracker.showStatus((tracker.trackingStarted() ? "Tracking " : "Waiting for ") + tracker.selection.satelliteDesignation);
    tracker.tuning.tuningMode.clear();
}

// The message line is the tuning line: show the failure, then give the line back to tuning.
void reportSaveFailure(TrackerState& tracker, const std::string& text) {
    tracker.setNormalColours();
    tracker.showMessage(text);
    tracker.pauseTwoSeconds();
    drawTuningLine(tracker);
}

}  // namespace

void enterTuning(TrackerState& tracker) {
    const std::string& designation = tracker.selection.satelliteDesignation;
    if (tracker.frequencies.noFrequencyData == 1) {
        // Without a frequency record there are no base frequencies to shift.
        tracker.showMessage("Cannot tune PPM data!!!  KELVORIN.FRC file has no data for " + designation + ".");
        tracker.pauseTwoSeconds();
        tracker.showMessage("");
        return;
    }
    tracker.tuning.tuningMode = "R";
    tracker.setNormalColours();
    tracker.showStatus("Manual incremental tuning " + designation);
    drawTuningLine(tracker);
}

void tuningKey(TrackerState& tracker, const std::string& key) {
    const std::string pressed = upperCase(key);
    if (pressed == "E") {
        exitTuning(tracker);
    } else if (pressed == "R" || pressed == "D" || pressed == "I") {
        selectTuning(tracker, pressed);
    } else if (pressed == "S") {
        saveTuning(tracker);
    } else if (pressed.size() == 2) {
        for (const ArrowStep& arrow : arrowSteps) {
            if (pressed[1] == arrow.scanCode) {
                const std::int32_t stepHz = arrow.kind == StepKind::upDown ? tracker.station.tuningStepUpDown
                                                                           : tracker.station.tuningStepLeftRight;
                // The increment is held in single precision.
                const float incrementKhz = static_cast<float>(stepHz / 1000.0);
                stepTuning(tracker, arrow.sign * incrementKhz);
                return;
            }
        }
    }
}

void stepTuning(TrackerState& tracker, double incrementKhz) {
    stepTuning(tracker.frequencies, tracker.tuning.tuningMode, incrementKhz);
    showFrequencies(tracker);
}

void saveTuning(TrackerState& tracker) {
    const std::string failure = saveTuning(tracker.console.files, tracker.selection.satelliteDesignation, tracker.frequencies);
    if (!failure.empty()) {
        reportSaveFailure(tracker, failure);
    }
}

}  // namespace station
