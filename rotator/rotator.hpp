#pragma once
// Rotator control: flip decision, step drive with end-stop guard, the five interfaces, park and
// the arithmetic and output of a calibration. The tracker lends the records the rotator works on
// and shows what it returns.
#include "config/station.hpp"
#include "console/station_file.hpp"
#include "console/clock.hpp"
#include "console/files.hpp"
#include "console/serial.hpp"
#include "orbit/constants.hpp"
#include "orbit/pass.hpp"
#include "rotator/frames.hpp"
#include "rotator/rotator_state.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace station {

// What the rotator works with: the station's rotator settings, its own drive state, the link to
// it (null when there is none) and the station directory, which holds ROT.DAT and KVFLIP.DAT.
struct RotatorContext {
    const OrbitConstants& constants;
    const Station& station;
    RotatorDrive& drive;
    SerialPort* link;
    const Files& files;
};

// Where the antenna should look, in the satellite's terms (radians).
struct RotatorTarget {
    double azimuth = 0;
    double elevation = 0;
};

// What a drive leaves to show: the position sent, after guard, limits and flip, in degrees;
// and how the write of ROT.DAT went, when the position was written there.
struct RotatorShown {
    std::string azimuth;    // "####.##"
    std::string elevation;  // "####.##"
    std::optional<WriteResult> rotatorFile;
};

// What the flip state leaves to show and report.
struct FlipShown {
    std::string state;    // "Flipped ", " Normal ", or "Disabled" when flipping is off
    std::string message;  // a note for the operator, or empty
    std::optional<WriteResult> flipFile;  // the write of KVFLIP.DAT, when it was written
};

// Flip decision.
std::int16_t azimuthQuadrant(const OrbitConstants& constants, float azimuth);
// Which side of the station a pass crosses, by the quadrants of its azimuths at AOS, at LOS and
// at maximum elevation. Overhead: the side cannot be told.
enum class FlipDecision { none, north, south, overhead };
FlipDecision flipDecision(std::int16_t aosQuadrant, std::int16_t losQuadrant, std::int16_t maximumQuadrant);
// Sets the drive's flip state for the pass from its three azimuths and records it.
FlipShown decideFlip(RotatorContext& rotator, const PassPrediction& pass);
// Records the flip state in KVFLIP.DAT (unless flipping is off) and says how it reads.
FlipShown recordFlipState(RotatorContext& rotator);
// The flip state saved by the last run (0 or 1).
Result<std::int16_t, FileFailure> readFlipState(const Files& files);

// Drive: steps the held command towards the target and sends the position when it changed (a
// refusal of the rotator daemon waits in `RotatorDrive::refusalToShow`).
RotatorShown driveRotator(RotatorContext& rotator, RotatorTarget target);
// The park position, reached directly and unflipped; nothing when parking is off.
std::optional<RotatorShown> parkRotator(RotatorContext& rotator);
// The rotator missed what was sent (its link was down): the next drive or park sends its
// position as if it had changed.
void forgetSentPosition(RotatorDrive& drive);

// Calibration: a position typed by hand in the units of the interface.
struct CalibrationDegrees {
    double azimuth = 0;
    double elevation = 0;
};
// The degrees that interface 0's raw counts (0 to 255) stand for.
CalibrationDegrees rawCountDegrees(const Station& station, RawPosition raw);
// The position becomes the drive's last output, so that the next pass drives the antenna back
// even to where it stood; interfaces 1 to 4 are sent it (a refusal of the rotator daemon waits
// in `RotatorDrive::refusalToShow`). With interface 3: how the write of
// ROT.DAT went.
std::optional<WriteResult> sendCalibratedPosition(RotatorContext& rotator, RawPosition raw,
                                                  CalibrationDegrees degrees);
// Interface 0's latches behind the port at `baseAddress`, with their pauses; false as soon as
// the platform refuses a port write.
bool setLatches(PortOutput& ports, Sleeper& sleeper, int baseAddress, RawPosition raw);

}  // namespace station
