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
inline constexpr int fileNotFound = 53;
inline constexpr int deviceIoError = 57;
inline constexpr int inputPastEnd = 62;
inline constexpr int permissionDenied = 70;
inline constexpr int pathFileAccessError = 75;
}  // namespace runtimeError

class ErrorHandler {
public:
    virtual ~ErrorHandler() = default;
    // Number of the guarded operation in progress; 0 when none is.
    std::int16_t errorPhase = 0;
    // Reports a failure of the operation of the current phase. Returns when the program may go
    // on with the step after the failed operation; otherwise throws ProgramExit.
    virtual void handleError(int errorNumber) = 0;
};

}  // namespace station
