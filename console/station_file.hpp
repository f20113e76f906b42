#pragma once
// A whole station file read as one guarded operation in two phases: opening it and reading it.
#include "console/error_phase.hpp"
#include "console/files.hpp"

#include <cstdint>
#include <optional>
#include <string_view>

namespace station {

// The lines of the file, or nothing after the handler has been told: "file not found" under
// `openPhase` when the file cannot be opened, "device I/O error" under `readPhase` when it cannot
// be read. The phase is left at `readPhase` after a read, at what the handler left after a failure.
std::optional<LineReader> readStationFile(const Files& files, std::string_view name, ErrorHandler& errors,
                                          std::int16_t openPhase, std::int16_t readPhase);

}  // namespace station
