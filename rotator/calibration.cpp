// Rotator calibration: sends a position typed by hand, to line up end stops, zero points and scale
// without a satellite, then leaves the tracker idle.
#include "rotator/frames.hpp"
#include "rotator/rotator.hpp"
#include "text/numbers.hpp"
#include "text/picture.hpp"

#include <array>

namespace station {

namespace {

// Asks at the message line until the typed integer lies in 0..highest; other entries are asked
// for again without a word.
std::int16_t askValue(TrackerState& s, std::string_view prompt, int highest) {
    for (;;) {
        s.showMessage(prompt);
        Screen& screen = s.screen();
        const auto room = static_cast<std::size_t>(Screen::columns - screen.cursorColumn());
        const std::int16_t value = toInt16(leadingNumber(readLineWithEcho(s.console, room)));
        if (value >= 0 && value <= highest) {
            return value;
        }
    }
}

// The interface-0 latches sit behind a parallel-port style interface at base address
// `rotatorPort`: the data port at the base, the control port two above it.
enum class Latch { data, control };
enum class LatchValue { azimuth, elevation, fixed };
struct LatchStep {
    Latch port;
    LatchValue source;
    std::uint8_t value;  // for fixed values
    int pauseMs;         // after the write
};
constexpr std::array<LatchStep, 8> latchSequence{{
    {Latch::data, LatchValue::azimuth, 0, 0},
    {Latch::control, LatchValue::fixed, 2, 200},
    {Latch::control, LatchValue::fixed, 3, 200},
    {Latch::control, LatchValue::fixed, 2, 200},
    {Latch::data, LatchValue::elevation, 0, 0},
    {Latch::control, LatchValue::fixed, 0, 200},
    {Latch::control, LatchValue::fixed, 1, 200},
    {Latch::control, LatchValue::fixed, 0, 0},
}};

// False as soon as the platform refuses a port write.
bool setLatches(TrackerState& s, std::uint8_t azimuth, std::uint8_t elevation) {
    const int base = s.station.rotatorPort;
    for (const LatchStep& step : latchSequence) {
        const int address = step.port == Latch::data ? base : base + 2;
        const std::uint8_t value = step.source == LatchValue::azimuth     ? azimuth
                                   : step.source == LatchValue::elevation ? elevation
                                                                          : step.value;
        if (!s.console.ports.output(address, value)) {
            return false;
        }
        if (step.pauseMs > 0) {
            s.console.sleeper.sleepMs(step.pauseMs);
        }
    }
    return true;
}

std::string positionText(std::string_view mask, double azimuth, double elevation) {
    return "Azimuth is " + formatPicture(mask, azimuth) + " degrees, elevation is " +
           formatPicture(mask, elevation) + " degrees.";
}

// The rotator now stands where it was sent: the drive must not take its last output as still
// standing, or a pass computing that same position would leave the antenna here.
void recordCalibratedPosition(TrackerState& s, double azimuthDegrees, double elevationDegrees) {
    RotatorDrive& rotator = s.rotator;
    rotator.azimuthCommand = static_cast<float>(azimuthDegrees * s.constants.radiansPerDegree);
    rotator.elevationCommand = elevationDegrees * s.constants.radiansPerDegree;
    rotator.lastSentAzimuth = rotator.azimuthCommand;
    rotator.lastSentElevation = rotator.elevationCommand;
}

void calibrateRawCounts(TrackerState& s) {
    const Station& station = s.station;
    const std::int16_t rawAzimuth = askValue(s, "Enter value for azimuth (0 to 255): ", 255);
    const std::int16_t rawElevation = askValue(s, "Enter value for elevation (0 to 255): ", 255);

    double a = (rawAzimuth + 0.5) / 256 * 360;
    if (station.rotator450 == 1) {
        a = 450 * a / 360;
    }
    if (station.azimuthStopNorth == 0) {
        a = a - 180;
    }
    if (a < 0) {
        a = a + 360;
    }
    const double e = (rawElevation + 0.5) / 256 * 180;
    const std::string position = positionText("###.#", a, e);
    s.showMessage(position);
    s.rotator.rawAzimuth = rawAzimuth;
    s.rotator.rawElevation = rawElevation;
    recordCalibratedPosition(s, a, e);

    if (station.rotatorPort > 0 &&
        !setLatches(s, static_cast<std::uint8_t>(rawAzimuth), static_cast<std::uint8_t>(rawElevation))) {
        s.showMessage("Direct port output not permitted: latches not set.");
        s.pauseTwoSeconds();
        s.showMessage(position);
    }
}

void calibrateDegrees(TrackerState& s) {
    const std::int16_t azimuth = askValue(s, "Enter value for azimuth (0 to 360/450): ", 450);
    const std::int16_t elevation = askValue(s, "Enter value for elevation (0 to 180): ", 180);
    s.showMessage(positionText("###", azimuth, elevation));
    s.rotator.rawAzimuth = azimuth;
    s.rotator.rawElevation = elevation;
    recordCalibratedPosition(s, azimuth, elevation);
    switch (s.station.rotatorInterface) {
    case 1:
        sendWCommand(s);
        break;
    case 2:
        sendAECommands(s);
        break;
    case 3:
        writeRotatorFile(s);
        break;
    default:
        break;
    }
}

}  // namespace

void calibrateRotator(TrackerState& s) {
    s.showStatus("Calibrating");
    if (s.station.rotatorInterface == 0) {
        calibrateRawCounts(s);
    } else {
        calibrateDegrees(s);
    }
    waitForKey(s.console);
    s.showMessage("");
    s.showStatus("Idling");
    s.selection.satelliteDesignation.clear();
    s.selection.lookupName.clear();
}

}  // namespace station
