#pragma once
// A tracker over the in-memory console in a fresh station directory.
#include "console/testsupport/memory.hpp"
#include "console/testsupport/memory_link.hpp"
#include "console/testsupport/station_dir.hpp"
#include "tracker/tracker.hpp"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

namespace station::trackertest {

// KELVORIN.CFG with the values of a small station (no devices, ROT.DAT rotator, radio.dat
// radio); `values` replaces values by their position in the file (1 to 44), or adds optional
// ones after them (empty lines before them).
inline std::string stationConfig(const std::map<int, std::string>& values = {}) {
    std::vector<std::string> lines = {
        "TEST STATION", "KEPS.TXT", "52.35", "4.92", "0", "60", "1", "0", "5", "1", "1", "180", "0", "3",
        "9600", "0", "0", "D", "0", "9600", "60", "62", "0", "1", "10", "0", "0", "0", "0", "0", "0", "0",
        "0", "0", "10", "100", "0", "4800", "1", "1", "0", "1", "15", "14"};
    for (const auto& [position, value] : values) {
        if (static_cast<std::size_t>(position) > lines.size()) {
            lines.resize(static_cast<std::size_t>(position));
        }
        lines.at(static_cast<std::size_t>(position - 1)) = value;
    }
    std::string text = "; test station\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// Code page 437 text of a screen row as UTF-8, so expected rows can be written with the box
// characters an operator sees.
inline std::string unicodeRow(const Screen& screen, int row, int first = 1, int last = Screen::columns) {
    std::string text;
    for (int column = first; column <= last; ++column) {
        const char32_t c = cp437::toUnicode(screen.cell(row, column).character);
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

inline std::string repeated(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

class TrackerTest : public ::testing::Test {
protected:
    testing::StationDir dir;
    MemoryConsole mc{dir.path()};
    Tracker tracker{mc.console};
    TrackerState& s = tracker.state();

    // Runs the program; the status it ended with, or -1 when the simulated time ran out first.
    int runUntil(std::int64_t limitMillis, const std::vector<std::string>& args = {}) {
        mc.sleeper.limitMillis = limitMillis;
        try {
            return tracker.run(args);
        } catch (const SimulatedTimeExhausted&) {
            return -1;
        }
    }
    // Reads KELVORIN.CFG into the state as the start-up does.
    void loadStation(const std::map<int, std::string>& values = {}) {
        dir.write("KELVORIN.CFG", stationConfig(values));
        s.station = *readStationConfig(mc.files);
    }
    std::string messageLine() const { return mc.screen.rowText(24, 2, 79); }
    std::string statusLine() const { return mc.screen.rowText(4, 40, 79); }
};

}  // namespace station::trackertest
