#pragma once
// A tracker state over the in-memory console with the radio on port 1, and a transcript of what
// reached the radio between the 200 ms pauses.
#include "console/memory.hpp"
#include "console/testsupport/station_dir.hpp"
#include "tracker/tracker_state.hpp"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace station {
namespace {

// Records each failure with the phase it came under; repairs nothing, ends nothing.
class RecordingErrors : public ErrorHandler {
public:
    struct Call {
        int phase;
        int errorNumber;
        std::string designation;  // what the tracker's designation read at the failure
    };
    const std::string* designation = nullptr;
    std::vector<Call> calls;
    void handleError(int errorNumber) override {
        calls.push_back({errorPhase, errorNumber, designation ? *designation : std::string()});
        errorPhase = 0;
    }
};

// "FE FE 60 E0" to bytes, independently of the code under test.
inline std::vector<std::uint8_t> bytesOf(std::string_view spacedHex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < spacedHex.size(); ++i) {
        if (spacedHex[i] == ' ') {
            continue;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(spacedHex.substr(i, 2)), nullptr, 16)));
        ++i;
    }
    return bytes;
}

// Bytes as "FE FE 60 E0".
inline std::string spacedHexOf(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        text += text.empty() ? "" : " ";
        text += pair;
    }
    return text;
}

inline std::string spacedHexOf(std::string_view hexText) { return spacedHexOf(bytesOf(hexText)); }

struct RadioBench {
    explicit RadioBench(const std::string& radioCode) {
        errors.designation = &s.selection.satelliteDesignation;
        s.station.radioType = radioCode;
        s.station.radioPort = 1;
        s.station.radioBaud = 9600;
        s.station.uplinkCorrection = 1;
        s.station.foregroundColour = 7;
        s.station.backgroundColour = 1;
        s.station.highlightColour = 14;
        s.radioLink = mc.serialPorts.open(1, 9600);
        s.selection.satelliteDesignation = "AO-7";
        s.selection.lookupName = "AO-7";
        mc.sleeper.onTime = [this](std::int64_t) { pauseMarks.push_back(port().sent.size()); };
    }

    MemorySerialPort& port() { return mc.serialPorts.port(1); }

    // What was sent between the pauses: one entry before each pause, then what followed the last.
    std::vector<std::vector<std::uint8_t>> segments() {
        std::vector<std::vector<std::uint8_t>> result;
        std::size_t from = 0;
        std::vector<std::size_t> marks = pauseMarks;
        marks.push_back(port().sent.size());
        for (const std::size_t to : marks) {
            result.emplace_back(port().sent.begin() + static_cast<std::ptrdiff_t>(from),
                                port().sent.begin() + static_cast<std::ptrdiff_t>(to));
            from = to;
        }
        return result;
    }
    std::vector<std::string> hexTranscript() {
        std::vector<std::string> result;
        for (const auto& segment : segments()) {
            result.push_back(spacedHexOf(segment));
        }
        return result;
    }
    std::vector<std::string> textTranscript() {
        std::vector<std::string> result;
        for (const auto& segment : segments()) {
            result.emplace_back(segment.begin(), segment.end());
        }
        return result;
    }
    void clearTranscript() {
        port().sent.clear();
        pauseMarks.clear();
    }

    testing::StationDir dir;
    MemoryConsole mc{dir.path()};
    RecordingErrors errors;
    TrackerState s{mc.console, errors};
    std::vector<std::size_t> pauseMarks;
};

}  // namespace
}  // namespace station
