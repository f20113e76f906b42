// The rotator drive: step tracking, the end-stop guard, limits, flip, and output on change through
// the selected interface.
#include "rotator/rotator.hpp"
#include "text/picture.hpp"

#include <cmath>
#include <limits>

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
void writeToRotator(const RotatorContext& r, const std::string& text) {
    if (r.station.rotatorPort <= 0 || r.link == nullptr) {
        return;
    }
    for (const char c : text) {
        r.link->write(std::string(1, c));
    }
}

// Interface 4: the position in degrees to the rotator daemon; a refusal waits in the drive
// record to be shown.
void sendToDaemon(const RotatorContext& r, double azimuthDegrees, double elevationDegrees) {
    if (auto refused = sendDaemonCommand(r.link, r.drive.daemonRefusals, "Rotator daemon",
                                         positionCommand(azimuthDegrees, elevationDegrees))) {
        r.drive.refusalToShow = std::move(*refused);
    }
}

RawPosition lastRaw(const RotatorDrive& drive) { return {drive.rawAzimuth, drive.rawElevation}; }

void store(RotatorDrive& drive, RawPosition raw) {
    drive.rawAzimuth = raw.azimuth;
    drive.rawElevation = raw.elevation;
}

// Interface 3: the raw position as the one line of ROT.DAT, replaced whole.
WriteResult writeRotatorFile(const RotatorContext& r) {
    return r.files.replace(rotatorFileName, rotDatText(lastRaw(r.drive)));
}

// Sends the raw position just stored through interfaces 1 to 3; with interface 3, how the write
// of ROT.DAT went.
std::optional<WriteResult> sendDegrees(const RotatorContext& r) {
    switch (r.station.rotatorInterface) {
    case RotatorInterface::wText:
        writeToRotator(r, wCommand(lastRaw(r.drive)));
        return std::nullopt;
    case RotatorInterface::aeText:
        writeToRotator(r, aeCommands(lastRaw(r.drive)));
        return std::nullopt;
    case RotatorInterface::rotDat:
        return writeRotatorFile(r);
    default:
        return std::nullopt;
    }
}

std::optional<WriteResult> outputPosition(RotatorContext& r, float azimuth, double elevation) {
    const Station& station = r.station;
    if (station.rotatorInterface == RotatorInterface::gFrame) {
        const RawPosition raw =
            frameCounts(r.constants, azimuth, elevation, station.azimuthStopNorth, station.rotator450);
        store(r.drive, raw);
        if (station.rotatorPort > 0 && r.link != nullptr) {
            r.link->write(gFrame(raw));
        }
        return std::nullopt;
    }
    if (station.rotatorInterface >= RotatorInterface::wText && station.rotatorInterface <= RotatorInterface::daemon) {
        store(r.drive, wholeDegreePosition(r.constants, azimuth, elevation));
    }
    if (station.rotatorInterface == RotatorInterface::daemon) {
        sendToDaemon(r, azimuth * r.constants.degreesPerRadian, elevation * r.constants.degreesPerRadian);
        return std::nullopt;
    }
    return sendDegrees(r);
}

// How a drive moves: tracking steps after the satellite within the flip state of the pass; the
// park goes straight to its position, unflipped, and may go over the top.
enum class DriveMode { tracking, park };

RotatorShown drive(RotatorContext& r, RotatorTarget target, DriveMode mode) {
    const OrbitConstants& constants = r.constants;
    const Station& station = r.station;
    RotatorDrive& rotator = r.drive;
    const bool parking = mode == DriveMode::park;
    const float step = parking ? 0.0f : station.trackingStep;
    const std::int16_t flipState = parking ? 0 : rotator.flipState;
    const double pi = constants.pi;
    const double twoPi = 2 * pi;
    const double az = target.azimuth;
    const double el = target.elevation;

    rotator.azimuthCommand = steppedCommand(rotator.azimuthCommand, az, step);
    float a = rotator.azimuthCommand;
    if (a >= twoPi) {
        a = static_cast<float>(a - twoPi);
    }
    if (a < 0) {
        a = static_cast<float>(a + twoPi);
    }
    a = guardEndStop(constants, a, az, flipState == station.azimuthStopNorth);

    rotator.elevationCommand = steppedCommand(rotator.elevationCommand, el, step);
    double e = rotator.elevationCommand;
    if (e < 0) {
        e = 0;
    }
    // A park position may lie over the top; a satellite never needs more than the zenith.
    if (e > pi / 2 && !parking) {
        e = pi / 2;
    }
    if (e > pi) {
        e = pi;
    }

    if (flipState == 1) {
        a = static_cast<float>(a + pi);
        e = pi - e;
        if (a >= twoPi) {
            a = static_cast<float>(a - twoPi);
        }
    }

    RotatorShown shown{formatPicture("####.##", a * constants.degreesPerRadian),
                       formatPicture("####.##", e * constants.degreesPerRadian), std::nullopt};
    if (a != rotator.lastSentAzimuth || e != rotator.lastSentElevation) {
        rotator.lastSentAzimuth = a;
        rotator.lastSentElevation = e;
        if (rotatorOnLink(station) || station.rotatorInterface == RotatorInterface::rotDat) {
            shown.rotatorFile = outputPosition(r, a, e);
        }
    }
    return shown;
}

}  // namespace

RotatorShown driveRotator(RotatorContext& rotator, RotatorTarget target) {
    return drive(rotator, target, DriveMode::tracking);
}

std::optional<RotatorShown> parkRotator(RotatorContext& rotator) {
    if (rotator.station.parkEnabled != 1) {
        return std::nullopt;
    }
    return drive(rotator, {rotator.station.parkAzimuth, rotator.station.parkElevation}, DriveMode::park);
}

void forgetSentPosition(RotatorDrive& drive) {
    // No position compares equal to these.
    drive.lastSentAzimuth = std::numeric_limits<float>::quiet_NaN();
    drive.lastSentElevation = std::numeric_limits<double>::quiet_NaN();
}

std::optional<WriteResult> sendCalibratedPosition(RotatorContext& rotator, RawPosition raw,
                                                  CalibrationDegrees degrees) {
    RotatorDrive& drive = rotator.drive;
    store(drive, raw);
    // The rotator now stands where it was sent: the drive must not take its last output as still
    // standing, or a pass computing that same position would leave the antenna here.
    drive.azimuthCommand = static_cast<float>(degrees.azimuth * rotator.constants.radiansPerDegree);
    drive.elevationCommand = degrees.elevation * rotator.constants.radiansPerDegree;
    drive.lastSentAzimuth = drive.azimuthCommand;
    drive.lastSentElevation = drive.elevationCommand;
    if (rotator.station.rotatorInterface == RotatorInterface::gFrame) {
        return std::nullopt;
    }
    if (rotator.station.rotatorInterface == RotatorInterface::daemon) {
        sendToDaemon(rotator, degrees.azimuth, degrees.elevation);
        return std::nullopt;
    }
    return sendDegrees(rotator);
}

}  // namespace station
