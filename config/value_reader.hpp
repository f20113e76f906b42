#pragma once
// The value reader shared by KELVORIN.CFG, KELVORIN.FRC and MIRADOS.CFG: the next line that does
// not begin with ";", in upper case; numbers are taken from the start of a line.
#include "console/error_phase.hpp"
#include "console/files.hpp"
#include "text/numbers.hpp"

#include <cmath>
#include <cstdint>
#include <string>

namespace station {

class ValueReader {
public:
    ValueReader(LineReader& lines, ErrorHandler& errors) : lines_(lines), errors_(errors) {}
    // The next value line in upper case. Once the handler has cleared the phase (it has dealt
    // with a failure of this file) the reader returns the empty text without reading.
    std::string readValue() {
        std::string line;
        do {
            if (errors_.errorPhase == phase::none) {
                return {};
            }
            line = lines_.read();
        } while (!line.empty() && line.front() == ';');
        return upperCase(line);
    }
    double readNumber() { return leadingNumber(readValue()); }
    // A number a 16-bit field cannot hold is a failure of the file, not a silent clamp: the
    // handler is told of an overflow and the field reads as 0.
    std::int16_t checkedInt16(double value) {
        const double rounded = std::nearbyint(value);
        if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
            errors_.handleError(runtimeError::overflow);
            return 0;
        }
        return toInt16(rounded);
    }
    std::int16_t readInt16() { return checkedInt16(readNumber()); }

private:
    LineReader& lines_;
    ErrorHandler& errors_;
};

}  // namespace station
