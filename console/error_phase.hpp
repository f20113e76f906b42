#pragma once
// Guarded operations: the code sets `errorPhase` just before a file or device operation that can
// fail; a failure goes to the program's one handler, which picks message and repair by the phase
// and then either returns (the caller goes on with its next step) or ends the program.
#include <cstdint>

namespace station {

// Ends the program: thrown by the fatal branches and by the Quit key, caught by the program's
// entry point, which returns the status. Tests catch it to see a fatal end.
struct ProgramExit {
    int status = 0;
};

// Run-time error numbers shown by the "Unexpected error" messages.
namespace runtimeError {
inline constexpr int illegalFunctionCall = 5;
inline constexpr int overflow = 6;
inline constexpr int outOfMemory = 7;
inline constexpr int fileNotFound = 53;
inline constexpr int deviceIoError = 57;
inline constexpr int inputPastEnd = 62;
inline constexpr int permissionDenied = 70;
inline constexpr int pathFileAccessError = 75;
}  // namespace runtimeError

// The guarded operations by number. The handler of each program picks message and repair by
// these numbers; operations both programs run have the same number in both.
namespace phase {
inline constexpr std::int16_t none = 0;
inline constexpr std::int16_t stationConfigOpen = 1;  // KELVORIN.CFG
inline constexpr std::int16_t stationConfigRead = 2;
inline constexpr std::int16_t elementFileOpen = 5;  // the keplerian data file
inline constexpr std::int16_t elementLookup = 6;    // the name line of the satellite
inline constexpr std::int16_t elementRead = 7;      // reading the file, the element lines
}  // namespace phase

namespace trackerPhase {
inline constexpr std::int16_t commandFileOpen = 3;  // KELVORIN.CMD
inline constexpr std::int16_t commandFileRead = 4;
inline constexpr std::int16_t frequencyFileOpen = 8;  // KELVORIN.FRC
inline constexpr std::int16_t frequencyLookup = 9;    // reading the file, the designation's record
inline constexpr std::int16_t frequencyRecord = 10;   // the values of the record
inline constexpr std::int16_t flipFile = 11;          // KVFLIP.DAT
inline constexpr std::int16_t rotatorLink = 12;
inline constexpr std::int16_t radioLink = 13;
inline constexpr std::int16_t gpsLink = 14;
}  // namespace trackerPhase

namespace schedulerPhase {
inline constexpr std::int16_t settingsOpen = 3;  // MIRADOS.CFG
inline constexpr std::int16_t settingsRead = 4;
}  // namespace schedulerPhase

class ErrorHandler {
public:
    virtual ~ErrorHandler() = default;
    // Number of the guarded operation in progress; phase::none when none is.
    std::int16_t errorPhase = phase::none;
    // Reports a failure of the operation of the current phase. Returns when the program may go
    // on with the step after the failed operation; otherwise throws ProgramExit.
    virtual void handleError(int errorNumber) = 0;
};

}  // namespace station
