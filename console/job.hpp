#pragma once
// Jobs: a program run to its end in a process group of its own, with an optional time limit.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace station {

// Runs argv (argv[0] looked up on PATH) and waits for its end: its exit status, 128 + the
// signal that ended it, -1 when it could not be started, or CommandProcessor::endedAtLimit when
// it was still running `limitSeconds` after its start by the system clock (its group is then sent
// SIGTERM, and SIGKILL once it has ended or ten seconds later, so that nothing it started stays
// behind). While it runs it owns the terminal's foreground, the keyboard's interrupt and quit are
// its own, and an end request (terminal_signals.hpp) is passed on to its group. `eachSecond` (when
// set) is called at each of the wait's once-a-second wakes, and at no other.
int runJob(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds,
           const std::function<void()>& eachSecond = {});

}  // namespace station
