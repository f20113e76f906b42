#pragma once
// The value reader shared by KELVORIN.CFG, KELVORIN.FRC and MIRADOS.CFG: the next line that does
// not begin with ";", in upper case; numbers are taken from the start of a line.
#include "console/error_phase.hpp"
#include "console/files.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace station {

// The longest leading number of the text: blanks skipped, optional sign, digits, optional
// fraction, optional exponent introduced by E or D; "&H" introduces a hexadecimal integer.
// No number, or one beyond the range of a double, reads as 0. The decimal point is "." whatever
// the locale.
double leadingNumber(std::string_view text);

// Rounded to the nearest integer, halves to the even neighbour, saturated to the type's range.
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);

// Values as their fields keep them. A value its field cannot hold (an integer beyond a 16-bit
// field, a number that is not finite once stored) is a failure of the file: the handler hears of
// an overflow and the field reads 0.
std::int16_t storedInt16(double value, ErrorHandler& errors);
float storedSingle(double value, ErrorHandler& errors);
double storedDouble(double value, ErrorHandler& errors);

// a-z converted to A-Z; nothing else changes.
std::string upperCase(std::string_view text);

class ValueReader {
public:
    ValueReader(LineReader& lines, ErrorHandler& errors) : lines_(lines), errors_(errors) {}
    // The next value line in upper case. Once the handler has set the phase to 0 (it has dealt
    // with a failure of this file) the reader returns the empty text without reading.
    std::string readValue();
    double readNumber() { return leadingNumber(readValue()); }

private:
    LineReader& lines_;
    ErrorHandler& errors_;
};

}  // namespace station
