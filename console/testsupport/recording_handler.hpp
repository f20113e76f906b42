#pragma once
// An error handler for tests: it records every failure with the phase it came under, runs what
// the program's branch of that phase would repair, and clears the phase as a branch that lets the
// program go on does.
#include "console/error_phase.hpp"

#include <functional>
#include <utility>
#include <vector>

namespace station::testing {

struct RecordingHandler : ErrorHandler {
    std::vector<std::pair<int, int>> calls;  // phase, error number
    std::function<void()> repair;
    void handleError(int errorNumber) override {
        calls.emplace_back(errorPhase, errorNumber);
        if (repair) {
            repair();
        }
        errorPhase = phase::none;
    }
};

}  // namespace station::testing
