#pragma once
// Numbers read from the text of station and element files, without the locale: the leading
// number of a text, its rounding to the integer fields, and the upper case the readers compare.
#include <cstdint>
#include <string>
#include <string_view>

namespace station {

// The longest leading number of the text: blanks skipped, optional sign, digits, optional
// fraction, optional exponent introduced by E or D; "&H" introduces a hexadecimal integer.
// No number, or one beyond the range of a double, reads as 0.
double leadingNumber(std::string_view text);

// Rounded to the nearest integer, halves to the even neighbour, saturated to the type's range.
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);

// a-z converted to A-Z; nothing else changes.
std::string upperCase(std::string_view text);

}  // namespace station
