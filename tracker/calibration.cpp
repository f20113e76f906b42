// The calibration dialogue ("C" key): the operator types a position, the rotator is sent it, and
// the tracker is left idle.
#include "tracker/rotator_control.hpp"

#include "tracker/faults.hpp"

#include "text/numbers.hpp"
#include "text/picture.hpp"

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

std::string positionText(std::string_view mask, CalibrationDegrees degrees) {
    return "Azimuth is " + formatPicture(mask, degrees.azimuth) + " degrees, elevation is " +
           formatPicture(mask, degrees.elevation) + " degrees.";
}

void calibrateRawCounts(TrackerState& s) {
    RawPosition raw;
    raw.azimuth = askValue(s, "Enter value for azimuth (0 to 255): ", 255);
    raw.elevation = askValue(s, "Enter value for elevation (0 to 255): ", 255);
    const CalibrationDegrees degrees = rawCountDegrees(s.station, raw);
    const std::string position = positionText("###.#", degrees);
    s.showMessage(position);
    RotatorContext rotator = rotatorContext(s);
    reportWrite(s, "ROT.DAT", sendCalibratedPosition(rotator, raw, degrees));

    if (s.station.rotatorPort > 0 &&
        !setLatches(s.console.ports, s.console.sleeper, s.station.rotatorPort, raw)) {
        s.showMessage("Direct port output not permitted: latches not set.");
        s.pauseTwoSeconds();
        s.showMessage(position);
    }
}

void calibrateDegrees(TrackerState& s) {
    RawPosition raw;
    raw.azimuth = askValue(s, "Enter value for azimuth (0 to 360/450): ", 450);
    raw.elevation = askValue(s, "Enter value for elevation (0 to 180): ", 180);
    const CalibrationDegrees degrees{static_cast<double>(raw.azimuth), static_cast<double>(raw.elevation)};
    s.showMessage(positionText("###", degrees));
    RotatorContext rotator = rotatorContext(s);
    reportWrite(s, "ROT.DAT", sendCalibratedPosition(rotator, raw, degrees));
    showRotatorRefusal(s);
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
