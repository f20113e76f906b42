// Manual incremental tuning: the arrow keys shift the satellite's base frequencies, which the
// Doppler update works from at its next second; "S" keeps them in KELVORIN.FRC.
#include "radio/tuning.hpp"

#include "radio/radio.hpp"
#include "text/numbers.hpp"
#include "text/picture.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace station {

namespace fs = std::filesystem;

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

constexpr std::string_view frequencyFileName = "kelvorin.frc";
constexpr double twoMinutesDays = 1.0 / 720;

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
    const std::string& designation = s.selection.satelliteDesignation;
    const bool tracking = s.continuousNow() > continuousDay(s.pass.year, s.pass.aos) - twoMinutesDays;
    s.showStatus((tracking ? "Tracking " : "Waiting for ") + designation);
    s.tuning.tuningMode.clear();
}

// The message line is the tuning line: show the failure, then give the line back to tuning.
void reportSaveFailure(TrackerState& s, const std::string& text) {
    s.setNormalColours();
    s.showMessage(text);
    s.pauseTwoSeconds();
    drawTuningLine(s);
}

// An operator who made the file read-only does not want it rewritten, even though a rename over
// it would succeed.
bool mayRewrite(const fs::path& path) {
    std::error_code error;
    const fs::perms permissions = fs::status(path, error).permissions();
    if (error) {
        return false;
    }
    const fs::perms anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (permissions & anyWrite) != fs::perms::none && ::access(path.c_str(), W_OK) == 0;
}

struct TextLine {
    std::string text;
    std::string end;  // "\r\n", "\n", "\r" or "" for a last line without one
};

std::vector<TextLine> splitKeepingEnds(std::string_view content) {
    std::vector<TextLine> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t stop = content.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            lines.push_back({std::string(content.substr(start)), ""});
            break;
        }
        const std::size_t endLength = content.compare(stop, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back({std::string(content.substr(start, stop - start)), std::string(content.substr(stop, endLength))});
        start = stop + endLength;
    }
    return lines;
}

}  // namespace

std::string tunedFrequencyText(double khz) {
    const double rounded = std::floor(100 * khz + 0.5) / 100;
    char text[40];
    const auto result = std::to_chars(std::begin(text), std::end(text), rounded, std::chars_format::general, 16);
    return std::string(text, result.ptr);
}

std::optional<std::string> withTunedFrequencies(std::string_view content, const std::string& designation,
                                                double uplinkKhz, double downlinkKhz) {
    if (designation.empty()) {
        return std::nullopt;
    }
    std::vector<TextLine> lines = splitKeepingEnds(content);
    std::size_t next = 0;
    while (next < lines.size() && upperCase(lines[next].text) != designation) {
        ++next;
    }
    if (next == lines.size()) {
        return std::nullopt;
    }
    ++next;
    // New lines take the file's own line end; CR LF in a file that has none yet.
    std::string lineEnd = "\r\n";
    for (const TextLine& line : lines) {
        if (!line.end.empty()) {
            lineEnd = line.end;
            break;
        }
    }
    for (const double khz : {uplinkKhz, downlinkKhz}) {
        while (next < lines.size() && lines[next].text.starts_with(';')) {
            ++next;
        }
        if (next < lines.size()) {
            lines[next].text = tunedFrequencyText(khz);
        } else {
            // The entry was cut short: its values go at the end of the file.
            if (lines.back().end.empty()) {
                lines.back().end = lineEnd;
            }
            lines.push_back({tunedFrequencyText(khz), lineEnd});
        }
        ++next;
    }
    std::string result;
    result.reserve(content.size() + 32);
    for (const TextLine& line : lines) {
        result += line.text;
        result += line.end;
    }
    return result;
}

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
    FrequencyRecord& f = s.frequencies;
    const std::string& mode = s.tuning.tuningMode;
    if (mode == "T" || mode == "D") {
        f.uplinkKhz += incrementKhz;
    } else if (mode == "I") {
        f.uplinkKhz -= incrementKhz;
    }
    if (mode == "R" || mode == "D" || mode == "I") {
        f.downlinkKhz += incrementKhz;
    }
    showFrequencies(s);
}

void saveTuning(TrackerState& s) {
    const Files& files = s.console.files;
    const std::string& designation = s.selection.satelliteDesignation;
    const std::optional<fs::path> path = files.find(frequencyFileName);
    const std::optional<std::string> content = path ? files.readText(frequencyFileName) : std::nullopt;
    if (!content) {
        reportSaveFailure(s, "Could not read KELVORIN.FRC. Tuning not saved.");
        return;
    }
    const std::optional<std::string> tuned =
        withTunedFrequencies(*content, designation, s.frequencies.uplinkKhz, s.frequencies.downlinkKhz);
    if (!tuned) {
        reportSaveFailure(s, "KELVORIN.FRC has no entry for " + designation + ". Tuning not saved.");
        return;
    }
    std::error_code error;
    const fs::perms permissions = fs::status(*path, error).permissions();
    if (!mayRewrite(*path) || !files.replace(path->filename().string(), *tuned)) {
        reportSaveFailure(s, "Could not write KELVORIN.FRC. Tuning not saved.");
        return;
    }
    // The new file is written with default permissions; give it the old file's.
    if (!error) {
        fs::permissions(*path, permissions, error);
    }
}

}  // namespace station
