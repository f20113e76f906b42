#pragma once
// The lines of a text (a log, a printed list), without their line ends.
#include <sstream>
#include <string>
#include <vector>

namespace station::testing {

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace station::testing
