#include "tracker/rotator_control.hpp"

#include "tracker/faults.hpp"

namespace station {

namespace {

constexpr int flipRow = 16;
constexpr int azimuthRow = 17;
constexpr int elevationRow = 18;
constexpr int valueColumn = 37;

void show(TrackerState& s, const RotatorShown& shown) {
    s.screen().printAt(azimuthRow, valueColumn, shown.azimuth);
    s.screen().printAt(elevationRow, valueColumn, shown.elevation);
    reportWrite(s, "ROT.DAT", shown.rotatorFile);
    showRotatorRefusal(s);
}

void show(TrackerState& s, const FlipShown& shown) {
    if (!shown.message.empty()) {
        s.showMessage(shown.message);
    }
    s.screen().printAt(flipRow, valueColumn, shown.state);
    reportWrite(s, "KVFLIP.DAT", shown.flipFile);
}

}  // namespace

void showRotatorRefusal(TrackerState& s) {
    if (!s.rotator.refusalToShow.empty()) {
        s.showMessage(s.rotator.refusalToShow);
        s.rotator.refusalToShow.clear();
    }
}

RotatorContext rotatorContext(TrackerState& s) {
    // While the link is lost the rotator is given none: nothing is written to it.
    return {s.constants, s.station, s.rotator, s.rotatorLink.get(), s.console.files};
}

void driveRotator(TrackerState& s) {
    RotatorContext rotator = rotatorContext(s);
    show(s, driveRotator(rotator, {s.satellite.azimuth, s.satellite.elevation}));
}

void parkRotator(TrackerState& s) {
    RotatorContext rotator = rotatorContext(s);
    if (const auto shown = parkRotator(rotator)) {
        s.screen().printAt(flipRow, valueColumn, "(Parked)");
        show(s, *shown);
    }
}

void decideFlip(TrackerState& s) {
    RotatorContext rotator = rotatorContext(s);
    show(s, decideFlip(rotator, s.pass));
}

void showFlipState(TrackerState& s) {
    RotatorContext rotator = rotatorContext(s);
    show(s, recordFlipState(rotator));
}

}  // namespace station
