#pragma once
// mirados --passes --all: the passes of every element set of the keplerian data file over a span
// of days that peak above the minimum pass elevation, found on every core by the schedule's own
// pass search, sorted by AOS, in the columns of the pass list. Sets that cannot be used are named
// in one summary line instead of ending the list.
#include "console/console.hpp"
#include "orbit/elements.hpp"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace station {

// One set of the element file, or why it could not be read.
struct FileElementSet {
    std::string name;
    KeplerianElementSet elements;
    std::string problem;  // empty when the two element lines read well
};

// The sets of an element file: a name line over two element lines (a pair without a name line is
// named by its catalogue number). Element lines that are short, fail their checksum, belong to
// different satellites or come without their partner make a set with a problem.
std::vector<FileElementSet> elementSetsOf(const std::string& fileText);

struct AllPassesOptions {
    double days = 1;
    std::optional<float> minimumElevation;  // radians; MIRADOS.CFG's when not given
    bool csv = false;
    bool progress = false;  // a progress line on `err` (a terminal) when the work takes over a second
};

// Reads the station files as a scheduling cycle does and prints the passes of every set of the
// element file to `out`; the summary of the sets left out and fatal errors of the files go to
// `err`. Returns the exit status (0, or 1).
int printAllPasses(Console& console, const AllPassesOptions& options, std::ostream& out, std::ostream& err);

}  // namespace station
