#pragma once
// The SGP4 tests' reference data (orbit/tests/data, made by make_sgp4_data.py). A missing or
// unreadable file throws, which fails the test that wanted it.
#include "orbit/elements.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace station::testing {

inline std::string sgp4DataPath(const std::string& name) {
    return std::string(STATION_SOURCE_DIR) + "/orbit/tests/data/" + name;
}

inline std::vector<std::string> sgp4DataLines(const std::string& name) {
    std::ifstream in(sgp4DataPath(name));
    if (!in) {
        throw std::runtime_error("missing test data " + sgp4DataPath(name) +
                                 " (make it with orbit/tests/make_sgp4_data.py)");
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    if (lines.empty()) {
        throw std::runtime_error("empty test data " + sgp4DataPath(name));
    }
    return lines;
}

// The numbers of a line, read in the C locale.
inline std::vector<double> numbersOf(const std::string& line) {
    std::istringstream in(line);
    in.imbue(std::locale::classic());
    std::vector<double> numbers;
    for (double x; in >> x;) {
        numbers.push_back(x);
    }
    return numbers;
}

// The root mean square and the largest size of a set of differences.
struct Statistics {
    double sumOfSquares = 0;
    double maximum = 0;
    std::size_t count = 0;
    void add(double difference) {
        sumOfSquares += difference * difference;
        maximum = std::max(maximum, std::fabs(difference));
        ++count;
    }
    void add(const Statistics& other) {
        sumOfSquares += other.sumOfSquares;
        maximum = std::max(maximum, other.maximum);
        count += other.count;
    }
    double rms() const { return count == 0 ? 0 : std::sqrt(sumOfSquares / static_cast<double>(count)); }
};

struct NamedSet {
    std::string name;
    KeplerianElementSet elements;
};

// The real element sets of the look-angle reference data, each under its name.
inline std::vector<NamedSet> realSets() {
    const std::vector<std::string> lines = sgp4DataLines("sgp4_look_angles.txt");
    std::vector<NamedSet> sets;
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        if (lines[i].rfind("set ", 0) == 0) {
            sets.push_back({lines[i].substr(4), parseElementLines(lines[i + 1], lines[i + 2])});
        }
    }
    return sets;
}

}  // namespace station::testing
