#pragma once
// A fresh tracker state over an in-memory console and a temporary station directory, with a
// rotator link on port 1.
#include "console/testsupport/memory.hpp"
#include "console/testsupport/memory_link.hpp"
#include "console/testsupport/station_dir.hpp"
#include "rotator/tests/rotator_station.hpp"
#include "tracker/tracker_state.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace rotatortest {

using namespace station;

class RotatorTest : public ::testing::Test {
protected:
    RotatorTest() {
        rotatorOnPortOne(s.station);
        station::testing::openLink(s.rotatorLink, mc.serialPorts, 1);
    }

    double radians(double degrees) const { return degrees * s.constants.radiansPerDegree; }
    double degrees(double radians) const { return radians * s.constants.degreesPerRadian; }
    void pointSatellite(double azimuthDegrees, double elevationDegrees) {
        s.satellite.azimuth = radians(azimuthDegrees);
        s.satellite.elevation = radians(elevationDegrees);
    }
    std::vector<std::uint8_t>& sent() { return mc.serialPorts.port(1).sent; }
    std::string sentText() { return mc.serialPorts.port(1).sentText(); }
    std::string row(int r, int first = 1, int last = Screen::columns) const {
        return mc.screen.rowText(r, first, last);
    }

    station::testing::StationDir dir;
    MemoryConsole mc{dir.path()};
    TrackerState s{mc.console};
};

}  // namespace rotatortest
