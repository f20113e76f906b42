#pragma once
// Number printing through picture masks, as both screens use it.
//   "#" a digit position, "." the decimal point, a leading "+" always prints the sign.
//   The value is rounded half away from zero to the shown decimals and right-aligned; a minus
//   sign takes one digit position and stands next to the digits. A value too wide for the
//   mask is printed whole, preceded by "%".
#include <string>
#include <string_view>

namespace station {

std::string formatPicture(std::string_view mask, double value);

// An integer printed without a mask: a leading blank when not negative ("-5", " 7").
std::string formatInteger(long long value);

// Two characters of 0..99, zero-padded; the first two digits of a larger number.
std::string twoDigitText(int n);

}  // namespace station
