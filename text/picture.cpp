#include "text/picture.hpp"

#include <charconv>
#include <cmath>

namespace station {

namespace {

// Decimals of the exact expansion looked at; more than any mask shows, so the digit after the
// last shown one is exact.
constexpr int expansionDecimals = 60;

// |value| rounded half away from zero to `decimals` places, as plain decimal text. Works on
// the exact binary value, so 2.675 (stored as 2.67499...) gives 2.67 and 0.125 gives 0.13.
// The point is "." whatever the locale says.
std::string roundedDigits(double magnitude, int decimals) {
    char exact[400];  // 309 integer digits at most, the point and the decimals
    const auto written = std::to_chars(std::begin(exact), std::end(exact), magnitude,
                                       std::chars_format::fixed, expansionDecimals);
    std::string text(exact, written.ptr);
    const auto point = text.find('.');
    std::string integer = text.substr(0, point);
    std::string fraction = text.substr(point + 1);
    const bool roundUp = fraction[decimals] >= '5';
    std::string digits = integer + fraction.substr(0, decimals);
    if (roundUp) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i--] = '0';
        }
        if (i < 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i];
        }
    }
    const auto integerLength = digits.size() - decimals;
    std::string result = digits.substr(0, integerLength);
    if (decimals > 0) {
        result += '.' + digits.substr(integerLength);
    }
    return result;
}

}  // namespace

std::string formatPicture(std::string_view mask, double value) {
    const bool plusSign = !mask.empty() && mask.front() == '+';
    const std::string_view digitsMask = plusSign ? mask.substr(1) : mask;
    const auto point = digitsMask.find('.');
    const int integerPositions =
        static_cast<int>(point == std::string_view::npos ? digitsMask.size() : point);
    const int decimals =
        point == std::string_view::npos ? 0 : static_cast<int>(digitsMask.size() - point - 1);

    std::string body;
    if (!std::isfinite(value)) {
        body = std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
        return "%" + body;
    }
    const bool negative = value < 0;
    std::string digits = roundedDigits(std::fabs(value), decimals);
    if (integerPositions == 0 && digits.rfind("0.", 0) == 0) {
        digits.erase(0, 1);  // no room for the leading zero
    }
    if (negative) {
        body = "-" + digits;
    } else if (plusSign) {
        body = "+" + digits;
    } else {
        body = digits;
    }
    if (body.size() > mask.size()) {
        return "%" + body;
    }
    return std::string(mask.size() - body.size(), ' ') + body;
}

std::string formatInteger(long long value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string twoDigitText(int n) {
    if (n > 9) {
        return std::to_string(n).substr(0, 2);
    }
    return "0" + std::to_string(n);
}

}  // namespace station
