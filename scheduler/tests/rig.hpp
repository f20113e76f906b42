#pragma once
// A scheduler over the in-memory console in a temporary station directory with the demo
// element sets, a station at 52.35 N 4.92 E, a 60-second search step and a clock on UTC.
#include "console/testsupport/memory.hpp"
#include "console/testsupport/station_dir.hpp"
#include "scheduler/scheduler.hpp"
#include "text/picture.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace station::testing {

inline std::string stationConfig() {
    std::string text = ";station\nTEST\nKEPS.TXT\n52.35\n4.92\n0\n60\n";
    for (int value = 7; value <= 41; ++value) {
        text += "0\n";
    }
    return text + "1\n15\n14\n";
}

inline std::string schedulerConfig(const std::vector<std::string>& scheduled,
                                   const std::vector<std::string>& watched = {}, const std::string& minimum = "10") {
    std::string text = "; scheduled\n";
    for (int i = 0; i < entryCount; ++i) {
        text += (i < static_cast<int>(scheduled.size()) ? scheduled[i] : "") + "\n";
    }
    text += "; watched\n";
    for (int i = 0; i < entryCount; ++i) {
        text += (i < static_cast<int>(watched.size()) ? watched[i] : "") + "\n";
    }
    return text + minimum + "\n1\n15\n14\n";
}

struct Rig {
    explicit Rig(const std::string& mirados) {
        dir.write("KELVORIN.CFG", stationConfig());
        dir.copyDemo("KEPS.TXT");
        dir.write("MIRADOS.CFG", mirados);
        mc.clock.set(2026, 10, 10, 0, 0, 0);
    }
    // Start-up and the computing half of a cycle, without waiting.
    void compute() {
        scheduler.startUp();
        scheduler.readSettings();
        scheduler.drawScreen();
        scheduler.loadElementSets();
        scheduler.buildSchedule();
    }
    // The simulated clock at a continuous day.
    std::int64_t millisAt(double day) const {
        return startMillis + static_cast<std::int64_t>((day - continuousDay(2026, 283.0)) * 86400000.0);
    }
    StationDir dir;
    MemoryConsole mc{dir.path()};
    Scheduler scheduler{mc.console};
    const std::int64_t startMillis = [] {
        MemoryClock c;
        c.set(2026, 10, 10, 0, 0, 0);
        return c.millis;
    }();
};

// An 80-character row of blanks with texts at their columns.
inline std::string row(std::initializer_list<std::pair<int, std::string>> texts) {
    std::string line(80, ' ');
    for (const auto& [column, text] : texts) {
        line.replace(column - 1, text.size(), text);
    }
    return line;
}

}  // namespace station::testing
