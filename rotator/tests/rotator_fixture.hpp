#pragma once
// The records the tracker lends the rotator, over an in-memory console and a temporary station
// directory, with a rotator link on port 1.
#include "console/testsupport/memory.hpp"
#include "console/testsupport/station_dir.hpp"
#include "rotator/rotator.hpp"
#include "rotator/tests/rotator_station.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace rotatortest {

using namespace station;

// The tracker's records the rotator works on, under the tracker's names for them.
struct Records {
    OrbitConstants constants;
    Station station;
    RotatorDrive rotator;
    PassPrediction pass;
    std::unique_ptr<SerialPort> rotatorLink;
};

class RotatorTest : public ::testing::Test {
protected:
    RotatorTest() {
        rotatorOnPortOne(s.station);
        s.rotatorLink = mc.serialPorts.open(1, 9600);
    }

    RotatorContext context() { return {s.constants, s.station, s.rotator, s.rotatorLink.get(), mc.files}; }
    // One drive towards the target, as the tracker runs it once a second; `shown` keeps its result.
    void drive() {
        RotatorContext rotator = context();
        shown = driveRotator(rotator, target);
    }
    std::optional<RotatorShown> park() {
        RotatorContext rotator = context();
        return parkRotator(rotator);
    }
    FlipShown decide() {
        RotatorContext rotator = context();
        return decideFlip(rotator, s.pass);
    }
    FlipShown record() {
        RotatorContext rotator = context();
        return recordFlipState(rotator);
    }

    double radians(double degrees) const { return degrees * s.constants.radiansPerDegree; }
    double degrees(double radians) const { return radians * s.constants.degreesPerRadian; }
    void pointSatellite(double azimuthDegrees, double elevationDegrees) {
        target = {radians(azimuthDegrees), radians(elevationDegrees)};
    }
    std::vector<std::uint8_t>& sent() { return mc.serialPorts.port(1).sent; }
    std::string sentText() { return mc.serialPorts.port(1).sentText(); }

    station::testing::StationDir dir;
    MemoryConsole mc{dir.path()};
    Records s;
    RotatorTarget target;
    RotatorShown shown;
};

}  // namespace rotatortest
