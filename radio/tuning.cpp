// Manual incremental tuning: the satellite's base frequencies shifted by hand, which the Doppler
// update works from at its next second, and kept in KELVORIN.FRC on request.
#include "radio/tuning.hpp"

#include "text/numbers.hpp"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace station {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view frequencyFileName = "kelvorin.frc";

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
        lines.push_back(
            {std::string(content.substr(start, stop - start)), std::string(content.substr(stop, endLength))});
        start = stop + endLength;
    }
    return lines;
}

}  // namespace

std::string tunedFrequencyText(double khz) {
    const double rounded = std::floor(100 * khz + 0.5) / 100;
    char text[40];
    const auto result =
        std::to_chars(std::begin(text), std::end(text), rounded, std::chars_format::general, 16);
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

void stepTuning(FrequencyRecord& frequencies, const std::string& tuningMode, double incrementKhz) {
    if (tuningMode == "T" || tuningMode == "D") {
        frequencies.uplinkKhz += incrementKhz;
    } else if (tuningMode == "I") {
        frequencies.uplinkKhz -= incrementKhz;
    }
    if (tuningMode == "R" || tuningMode == "D" || tuningMode == "I") {
        frequencies.downlinkKhz += incrementKhz;
    }
}

std::string saveTuning(const Files& files, const std::string& designation,
                       const FrequencyRecord& frequencies) {
    const std::optional<fs::path> path = files.find(frequencyFileName);
    const std::optional<std::string> content = path ? files.readText(frequencyFileName) : std::nullopt;
    if (!content) {
        return "Could not read KELVORIN.FRC. Tuning not saved.";
    }
    const std::optional<std::string> tuned =
        withTunedFrequencies(*content, designation, frequencies.uplinkKhz, frequencies.downlinkKhz);
    if (!tuned) {
        return "KELVORIN.FRC has no entry for " + designation + ". Tuning not saved.";
    }
    if (!mayRewrite(*path) || !files.replace(path->filename().string(), *tuned)) {
        return "Could not write KELVORIN.FRC. Tuning not saved.";
    }
    return {};
}

}  // namespace station
