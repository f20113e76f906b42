#pragma once
// The end of a program, and the run-time error numbers its failure messages name.

namespace station {

// Ends the program: thrown by the fatal failures and by the Quit key, caught by the program's
// entry point, which returns the status. Tests catch it to see a fatal end.
struct ProgramExit {
    int status = 0;
};

// Run-time error numbers shown by the "Unexpected error" messages.
namespace runtimeError {
inline constexpr int illegalFunctionCall = 5;
inline constexpr int outOfMemory = 7;
inline constexpr int deviceIoError = 57;
inline constexpr int pathFileAccessError = 75;
}  // namespace runtimeError

}  // namespace station
