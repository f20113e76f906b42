#pragma once
// The command line of kelvorin, read before the terminal is taken over. A designation never
// begins with "--", so the options cannot be taken for a satellite, nor a satellite for them.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace station {

struct TrackerCommandLine {
    enum class Action { track, help, version, usageError };
    Action action = Action::track;
    std::string error;  // of a usage error: "unknown option --foo"
};

// --help and --version wherever they stand (the first one counts); any other argument that
// begins with "--" is a usage error; the other arguments are the designation's words.
TrackerCommandLine parseTrackerCommandLine(const std::vector<std::string>& args);

std::string trackerHelpText();
// "kelvorin 4.1 dev": the version of the screen's title.
std::string trackerVersionText();

// Answers the options that need no screen: the help or the version on `out` (status 0), a usage
// error on `err` (status 2). Nothing when the arguments ask for tracking.
std::optional<int> answerTrackerOptions(const std::vector<std::string>& args, std::ostream& out,
                                        std::ostream& err);

}  // namespace station
