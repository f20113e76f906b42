#pragma once
// The value reader shared by KELVORIN.CFG, KELVORIN.FRC and MIRADOS.CFG: the next line that does
// not begin with ";", in upper case; numbers are taken from the start of a line.
#include "console/error_phase.hpp"
#include "console/files.hpp"
#include "text/numbers.hpp"

#include <cstdint>
#include <string>

namespace station {

// Values as their fields keep them. A value its field cannot hold (an integer beyond a 16-bit
// field, a number that is not finite once stored) is a failure of the file: the handler hears of
// an overflow and the field reads 0.
std::int16_t storedInt16(double value, ErrorHandler& errors);
float storedSingle(double value, ErrorHandler& errors);
double storedDouble(double value, ErrorHandler& errors);

class ValueReader {
public:
    ValueReader(LineReader& lines, ErrorHandler& errors) : lines_(lines), errors_(errors) {}
    // The next value line in upper case. Once the handler has cleared the phase (it has dealt
    // with a failure of this file) the reader returns the empty text without reading.
    std::string readValue() { return upperCase(readLine()); }
    // The next value line as written, for the one value that must keep its case.
    std::string readLine() {
        std::string line;
        do {
            if (errors_.errorPhase == phase::none) {
                return {};
            }
            line = lines_.read();
        } while (!line.empty() && line.front() == ';');
        return line;
    }
    double readNumber() { return leadingNumber(readValue()); }
    std::int16_t readInt16() { return storedInt16(readNumber(), errors_); }

private:
    LineReader& lines_;
    ErrorHandler& errors_;
};

}  // namespace station
