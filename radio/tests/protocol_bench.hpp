#pragma once
// The records the tracker lends the radio, over the in-memory console with the radio on port 1,
// and a transcript of what reached the radio between the 200 ms pauses.
#include "console/testsupport/memory.hpp"
#include "console/testsupport/station_dir.hpp"
#include "radio/radio.hpp"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace station {
namespace {

// Records each failure of a PARK record reported to the program; repairs nothing, ends nothing.
class RecordingErrors {
public:
    struct Call {
        FrequencyFailure failure;
        bool parking;  // what the radio's parking flag read at the failure
    };
    const bool* parking = nullptr;
    std::vector<Call> calls;
    void report(FrequencyFailure failure) { calls.push_back({failure, parking != nullptr && *parking}); }
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
inline std::string spacedHexOf(std::span<const std::uint8_t> bytes) {
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
    // The tracker's records the radio works on, under the tracker's names for them.
    struct Records {
        Station station;
        FrequencyRecord frequencies;
        DopplerState doppler;
        RadioState radio;
        std::unique_ptr<SerialPort> radioLink;
    };

    explicit RadioBench(const std::string& radioCode) {
        errors.parking = &s.radio.parking;
        s.station.radioType = radioCode;
        s.station.radioPort = 1;
        s.station.radioBaud = 9600;
        s.station.uplinkCorrection = 1;
        s.radioLink = mc.serialPorts.open(1, 9600);
        mc.sleeper.onTime = [this](std::int64_t) { pauseMarks.push_back(port().sent.size()); };
    }

    // What the tracker lends the radio; messages go to the message line as the tracker shows them.
    RadioContext context() {
        return {s.station, s.frequencies, s.doppler, s.radio, s.radioLink.get(), mc.sleeper, mc.files,
                [this](FrequencyFailure failure) { errors.report(failure); },
                [this](std::string_view text) { showMessage(mc.screen, text); }};
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
    Records s;
    std::vector<std::size_t> pauseMarks;
};

}  // namespace
}  // namespace station
