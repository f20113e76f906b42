// The rotator drive: step tracking, the end-stop guard, limits, flip, and output on change through
// the selected interface.
#include "console/picture.hpp"
#include "rotator/frames.hpp"
#include "rotator/rotator.hpp"

#include <cmath>

namespace station {

namespace {

constexpr std::string_view rotatorFileName = "ROT.DAT";

// The antenna is held until the target is more than about half a step from the command, then set
// half a step beyond the target so it can stay still for a whole step. The 1.05 factors keep it
// from jumping back and forth on a target that moves exactly half a step.
template <class Angle>
Angle steppedCommand(Angle command, double target, float step) {
    const double halfStep = step / 2.0;
    const double difference = command - target;
    if (std::fabs(difference) > halfStep * 1.05) {
        const double sign = (difference > 0) - (difference < 0);
        return static_cast<Angle>(target - sign * halfStep / 1.05);
    }
    return command;
}

// Degrees held in single precision (the end-stop margins below), in radians.
float radiansOf(const OrbitConstants& constants, float degrees) {
    return static_cast<float>(degrees * constants.radiansPerDegree);
}

// When the satellite has crossed the stop and the held command has not, the antenna goes just
// across the stop on the satellite's side instead of the long way round.
float guardEndStop(const OrbitConstants& constants, float a, double az, bool stopAtSouth) {
    const double pi = constants.pi;
    if (stopAtSouth) {
        if (az >= pi && az < 1.5 * pi && a >= pi / 2 && a < pi) {
            return radiansOf(constants, 180.1f);
        }
        if (az >= pi / 2 && az < pi && a >= pi && a < 1.5 * pi) {
            return radiansOf(constants, 179.9f);
        }
        return a;
    }
    if (az >= 1.5 * pi && az < 2 * pi && a >= 0 && a < pi / 2) {
        return radiansOf(constants, 359.9f);
    }
    if (az >= 0 && az < pi / 2 && a >= 1.5 * pi && a < 2 * pi) {
        return radiansOf(constants, 0.1f);
    }
    return a;
}

// Interfaces 1 and 2 write their text one character at a time; without a link nothing is sent.
void writeToRotator(TrackerState& s, const std::string& text) {
    if (s.station.rotatorPort <= 0 || !s.rotatorLink) {
        return;
    }
    for (const char c : text) {
        s.rotatorLink->write(std::string(1, c));
    }
}

void outputPosition(TrackerState& s, float azimuth, double elevation) {
    RotatorDrive& rotator = s.rotator;
    const Station& station = s.station;
    const auto store = [&rotator](RawPosition raw) {
        rotator.rawAzimuth = raw.azimuth;
        rotator.rawElevation = raw.elevation;
    };
    switch (station.rotatorInterface) {
    case 0: {
        const RawPosition raw = frameCounts(s.constants, azimuth, elevation, station.azimuthStopNorth,
                                            station.rotator450);
        store(raw);
        if (station.rotatorPort > 0 && s.rotatorLink) {
            s.rotatorLink->write(gFrame(raw));
        }
        return;
    }
    case 1:
        store(wholeDegreePosition(s.constants, azimuth, elevation));
        sendWCommand(s);
        return;
    case 2:
        store(wholeDegreePosition(s.constants, azimuth, elevation));
        sendAECommands(s);
        return;
    case 3:
        store(wholeDegreePosition(s.constants, azimuth, elevation));
        writeRotatorFile(s);
        return;
    default:
        return;
    }
}

}  // namespace

void driveRotator(TrackerState& s) {
    const OrbitConstants& constants = s.constants;
    const Station& station = s.station;
    RotatorDrive& rotator = s.rotator;
    const double pi = constants.pi;
    const double twoPi = 2 * pi;
    const double az = s.satellite.azimuth;
    const double el = s.satellite.elevation;

    rotator.azimuthCommand = steppedCommand(rotator.azimuthCommand, az, station.trackingStep);
    float a = rotator.azimuthCommand;
    if (a >= twoPi) {
        a = static_cast<float>(a - twoPi);
    }
    if (a < 0) {
        a = static_cast<float>(a + twoPi);
    }
    a = guardEndStop(constants, a, az, rotator.flipState == station.azimuthStopNorth);

    rotator.elevationCommand = steppedCommand(rotator.elevationCommand, el, station.trackingStep);
    double e = rotator.elevationCommand;
    if (e < 0) {
        e = 0;
    }
    // A park position may lie over the top; a satellite never needs more than the zenith.
    if (e > pi / 2 && !rotator.parking) {
        e = pi / 2;
    }
    if (e > pi) {
        e = pi;
    }

    if (rotator.flipState == 1) {
        a = static_cast<float>(a + pi);
        e = pi - e;
        if (a >= twoPi) {
            a = static_cast<float>(a - twoPi);
        }
    }

    Screen& screen = s.screen();
    screen.printAt(17, 37, formatPicture("####.##", a * constants.degreesPerRadian));
    screen.printAt(18, 37, formatPicture("####.##", e * constants.degreesPerRadian));

    if (a != rotator.lastSentAzimuth || e != rotator.lastSentElevation) {
        rotator.lastSentAzimuth = a;
        rotator.lastSentElevation = e;
        if (station.rotatorPort > 0 || station.rotatorInterface == 3) {
            outputPosition(s, a, e);
        }
    }
}

void parkRotator(TrackerState& s) {
    if (s.station.parkEnabled != 1) {
        return;
    }
    s.screen().printAt(16, 37, "(Parked)");

    // The park position is reached directly and unflipped; the pass's settings come back
    // afterwards even when an output failure ends in the error handler.
    struct Restore {
        TrackerState& s;
        float trackingStep;
        std::int16_t flipState;
        ~Restore() {
            s.rotator.parking = false;
            s.station.trackingStep = trackingStep;
            s.rotator.flipState = flipState;
        }
    } restore{s, s.station.trackingStep, s.rotator.flipState};
    s.station.trackingStep = 0;
    s.rotator.flipState = 0;

    s.satellite.azimuth = s.station.parkAzimuth;
    s.satellite.elevation = s.station.parkElevation;
    s.rotator.parking = true;
    driveRotator(s);
}

void sendWCommand(TrackerState& s) {
    writeToRotator(s, wCommand({s.rotator.rawAzimuth, s.rotator.rawElevation}));
}

void sendAECommands(TrackerState& s) {
    writeToRotator(s, aeCommands({s.rotator.rawAzimuth, s.rotator.rawElevation}));
}

void writeRotatorFile(TrackerState& s) {
    const std::string content = rotDatText({s.rotator.rawAzimuth, s.rotator.rawElevation});
    if (!s.console.files.replace(rotatorFileName, content)) {
        s.errors.handleError(runtimeError::pathFileAccessError);
    }
}

}  // namespace station
