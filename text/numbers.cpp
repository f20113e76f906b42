#include "text/numbers.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace station {

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    if (text.size() - i >= 2 && text[i] == '&' && (text[i + 1] == 'H' || text[i + 1] == 'h')) {
        i += 2;
        long long value = 0;
        std::size_t digits = 0;
        while (i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])) && digits < 15) {
            const char c = text[i++];
            value = value * 16 + (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10);
            ++digits;
        }
        return static_cast<double>(value);
    }
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            number += '-';
        }
        ++i;
    }
    bool mantissaDigits = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        number += text[i++];
        mantissaDigits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            number += text[i++];
            mantissaDigits = true;
        }
    }
    if (!mantissaDigits) {
        return 0.0;
    }
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            exponent += text[j++];
        }
        const std::size_t firstDigit = j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            exponent += text[j++];
        }
        if (j > firstDigit) {
            number += exponent;
        }
    }
    // Not strtod: its decimal point is the locale's.
    double value = 0;
    const auto read = std::from_chars(number.data(), number.data() + number.size(), value);
    // Beyond the range of a double, either way, reads as 0.
    if (read.ec != std::errc() || !std::isfinite(value)) {
        return 0.0;
    }
    return value;
}

namespace {
template <typename Int>
Int roundToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value);  // the default mode rounds halves to even
    if (rounded <= static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    if (rounded >= static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(rounded);
}
}  // namespace

std::int16_t toInt16(double value) { return roundToInt<std::int16_t>(value); }
std::int32_t toInt32(double value) { return roundToInt<std::int32_t>(value); }

std::string upperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

}  // namespace station
