#include "tracker/rotator_control.hpp"

#include "tracker/faults.hpp"

namespace station {

namespace {

constexpr int flipRow = 16;
constexpr int azimuthRow = 17;
constexpr int elevationRow = 18;
constexpr int valueColumn = 37;

void show(TrackerState& tracker, const RotatorShown& shown) {
    tracker.screen().printAt(azimuthRow, valueColumn, shown.azimuth);
    tracker.screen().printAt(elevationRow, valueColumn, shown.elevation);
    reportWrite(tracker, "ROT.DAT", shown.rotatorFile);
    showRotatorRefusal(tracker);
}

void show(TrackerState& tracker, const FlipShown& shown) {
    if (!shown.message.empty()) {
        tracker.showMessage(shown.message);
    }
    tracker.screen().printAt(flipRow, valueColumn, shown.state);
    reportWrite(tracker, "KVFLIP.DAT", shown.flipFile);
}

}  // namespace

void showRotatorRefusal(TrackerState& tracker) {
    if (!tracker.rotator.refusalToShow.empty()) {
        tracker.showMessage(tracker.rotator.refusalToShow);
        tracker.rotator.refusalToShow.clear();
    }
}

RotatorContext rotatorContext(TrackerState& tracker) {
    // While the link is lost the rotator is given none: nothing is written to it.
    return {tracker.constants, tracker.station, tracker.rotator, tracker.rotatorLink.get(), tracker.console.files};
}

void driveRotator(TrackerState& tracker) {
    RotatorContext rotator = rotatorContext(tracker);
    show(tracker, driveRotator(rotator, {tracker.satellite.azimuth, tracker.satellite.elevation}));
}

void parkRotator(TrackerState& tracker) {
    RotatorContext rotator = rotatorContext(tracker);
    if (const auto shown = parkRotator(rotator)) {
        tracker.screen().printAt(flipRow, valueColumn, "(Parked)");
        show(tracker, *shown);
    }
}

void decideFlip(TrackerState& tracker) {
    RotatorContext rotator = rotatorContext(tracker);
    show(tracker, decideFlip(rotator, tracker.pass));
}

void showFlipState(TrackerState& tracker) {
    RotatorContext rotator = rotatorContext(tracker);
    show(tracker, recordFlipState(rotator));
}

}  // namespace station
