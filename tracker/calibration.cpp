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
std::int16_t askValue(TrackerState& tracker, std::string_view prompt, int highest) {
    for (;;) {
        tracker.showMessage(prompt);
        Screen& screen = tracker.screen();
        const auto room = static_cast<std::size_t>(Screen::columns - screen.cursorColumn());
        const std::int16_t value = toInt16(leadingNumber(readLineWithEcho(tracker.console, room)));
        if (value >= 0 && value <= highest) {
            return value;
        }
    }
}

std::string positionText(std::string_view mask, CalibrationDegrees degrees) {
    return "Azimuth is " + formatPicture(mask, degrees.azimuth) + " degrees, elevation is " +
           formatPicture(mask, degrees.elevation) + " degrees.";
}

void calibrateRawCounts(TrackerState& tracker) {
    RawPosition raw;
    raw.azimuth = askValue(tracker, "Enter value for azimuth (0 to 255): ", 255);
    raw.elevation = askValue(tracker, "Enter value for elevation (0 to 255): ", 255);
    const CalibrationDegrees degrees = rawCountDegrees(tracker.station, raw);
    const std::string position = positionText("###.#", degrees);
    tracker.showMessage(position);
    RotatorContext rotator = rotatorContext(tracker);
    reportWrite(tracker, "ROT.DAT", sendCalibratedPosition(rotator, raw, degrees));

    if (tracker.station.rotatorPort > 0 &&
        !setLatches(tracker.console.ports, tracker.console.sleeper, tracker.station.rotatorPort, raw)) {
        tracker.showMessage("Direct port output not permitted: latches not set.");
        tracker.pauseTwoSeconds();
        tracker.showMessage(position);
    }
}

void calibrateDegrees(TrackerState& tracker) {
    RawPosition raw;
    raw.azimuth = askValue(tracker, "Enter value for azimuth (0 to 360/450): ", 450);
    raw.elevation = askValue(tracker, "Enter value for elevation (0 to 180): ", 180);
    const CalibrationDegrees degrees{static_cast<double>(raw.azimuth), static_cast<double>(raw.elevation)};
    tracker.showMessage(positionText("###", degrees));
    RotatorContext rotator = rotatorContext(tracker);
    reportWrite(tracker, "ROT.DAT", sendCalibratedPosition(rotator, raw, degrees));
    showRotatorRefusal(tracker);
}

}  // namespace

void calibrateRotator(TrackerState& tracker) {
    tracker.showStatus("Calibrating");
    if (tracker.station.rotatorInterface == RotatorInterface::gFrame) {
        calibrateRawCounts(tracker);
    } else {
        calibrateDegrees(tracker);
    }
    waitForKey(tracker.console);
    tracker.showMessage("");
    tracker.showStatus("Idling");
    tracker.selection.satelliteDesignation.clear();
    tracker.selection.lookupName.clear();
}

}  // namespace station
