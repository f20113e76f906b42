#pragma once
// A tracker state over the in-memory console with the radio on port 1.
#include "console/testsupport/memory.hpp"
#include "console/testsupport/memory_link.hpp"
#include "console/testsupport/station_dir.hpp"
#include "tracker/tracker_state.hpp"

#include <string>

namespace station {
namespace {

struct TrackerRadioBench {
    explicit TrackerRadioBench(const std::string& radioCode) {
        s.station.radioType = radioCode;
        s.station.radioPort = 1;
        s.station.radioBaud = 9600;
        s.station.uplinkCorrection = 1;
        s.station.foregroundColour = 7;
        s.station.backgroundColour = 1;
        s.station.highlightColour = 14;
        testing::openLink(s.radioLink, mc.serialPorts, 1);
        s.selection.satelliteDesignation = "AO-7";
        s.selection.lookupName = "AO-7";
    }

    MemorySerialPort& port() { return mc.serialPorts.port(1); }

    testing::StationDir dir;
    MemoryConsole mc{dir.path()};
    TrackerState s{mc.console};
};

}  // namespace
}  // namespace station
