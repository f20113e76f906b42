#pragma once
// How a satellite is chosen: the command line, the command file KELVORIN.CMD in automatic mode,
// or the "T" prompt in manual mode. Every source goes through takeDesignation.
#include "tracker/tracker_state.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace station {

inline constexpr std::string_view commandFileName = "KELVORIN.CMD";

// The designation in upper case and its lookup name (the part before the first "~").
void takeDesignation(TrackerState& tracker, std::string_view text);
// The program's arguments, taken once as the designation; selects command-line mode.
void takeCommandLine(TrackerState& tracker);
// The "T" prompt of manual mode.
void askDesignation(TrackerState& tracker);
// Why the command file gave no designation: it could not be opened (and so not read either), or
// it could not be read.
enum class CommandFileFailure { missing, unreadable };
// Takes the first line of KELVORIN.CMD as the designation; "NONE" means no satellite. After a
// failure the designation stays as it was.
std::optional<CommandFileFailure> pollCommandFile(TrackerState& tracker);

// The text up to the first line end (CR or LF); the whole text when it has none.
std::string firstLineOf(std::string_view text);
// Columns left on the message line for a line typed after a prompt written from column 3.
std::size_t roomAfterPrompt(std::string_view prompt);

}  // namespace station
