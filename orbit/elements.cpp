#include "orbit/elements.hpp"

#include "console/station_file.hpp"
#include "orbit/constants.hpp"
#include "text/numbers.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace station {

namespace {

constexpr double radiansPerDegree = programPi / 180;
constexpr double eccentricityScale = 10000000;  // seven digits with an implied leading point
// Reading past the end of the file yields empty lines; this many in a row means the name is not
// in the file.
constexpr int emptyLinesMeaningEnd = 100;

// Characters `first`..`first + count - 1` (1-based) of the text, fewer or none past its end.
std::string columns(const std::string& text, std::size_t first, std::size_t count) {
    if (first > text.size()) {
        return {};
    }
    return text.substr(first - 1, count);
}

// An element line is read as one text field: leading blanks skipped, ended by a comma.
std::string textField(const std::string& line) {
    const auto start = line.find_first_not_of(' ');
    if (start == std::string::npos) {
        return {};
    }
    const auto comma = line.find(',', start);
    return line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
}

std::string withoutTrailingBlanks(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

double numberAt(const std::string& line, std::size_t first, std::size_t count) {
    return leadingNumber(columns(line, first, count));
}

// An eight-column field with an assumed decimal point: sign, five digits, exponent sign and digit
// (" 34123-4" is 0.34123e-4). Blanks among the digits read as 0; any other character makes the
// whole field 0, like any malformed number of the element lines.
double assumedPointNumberAt(const std::string& line, std::size_t first) {
    const std::string field = columns(line, first, 8);
    if (field.size() != 8) {
        return 0;
    }
    const char sign = field[0];
    const char exponentSign = field[6];
    if ((sign != ' ' && sign != '+' && sign != '-') ||
        (exponentSign != ' ' && exponentSign != '+' && exponentSign != '-') ||
        !std::isdigit(static_cast<unsigned char>(field[7]))) {
        return 0;
    }
    std::string text = sign == '-' ? "-0." : "0.";
    for (std::size_t i = 1; i <= 5; ++i) {
        const char c = field[i];
        if (c != ' ' && !std::isdigit(static_cast<unsigned char>(c))) {
            return 0;
        }
        text += c == ' ' ? '0' : c;
    }
    text += exponentSign == '-' ? "e-" : "e";
    text += field[7];
    double value = 0;
    // from_chars reads the C format whatever the locale.
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::int16_t saturatedInt16(double value) {
    return static_cast<std::int16_t>(
        std::clamp(value, static_cast<double>(std::numeric_limits<std::int16_t>::min()),
                   static_cast<double>(std::numeric_limits<std::int16_t>::max())));
}

}  // namespace

std::string lookupNameOf(const std::string& designation) {
    return upperCase(designation.substr(0, designation.find('~')));
}

KeplerianElementSet parseElementLines(const std::string& line1, const std::string& line2) {
    const std::string first = textField(line1);
    const std::string second = textField(line2);
    KeplerianElementSet set;
    const std::int16_t twoDigitYear = toInt16(numberAt(first, 19, 2));
    set.epochYear = static_cast<std::int16_t>(twoDigitYear + (twoDigitYear <= 90 ? 2000 : 1900));
    set.epochDay = numberAt(first, 21, 12);
    set.meanMotionDrift = numberAt(first, 34, 10);
    set.meanMotionSecondDrift = assumedPointNumberAt(first, 45);
    set.bStar = assumedPointNumberAt(first, 54);
    set.inclination = numberAt(second, 9, 8) * radiansPerDegree;
    set.raan = numberAt(second, 18, 8) * radiansPerDegree;
    set.eccentricity = numberAt(second, 27, 7) / eccentricityScale;
    set.argumentOfPerigee = numberAt(second, 35, 8) * radiansPerDegree;
    set.meanAnomaly = numberAt(second, 44, 8) * radiansPerDegree;
    set.meanMotion = numberAt(second, 53, 11);
    return set;
}

Result<KeplerianElementSet, ElementFailure> readElementSet(const Files& files, const std::string& elementFileName,
                                                           const std::string& lookupName) {
    auto file = readStationFile(files, elementFileName);
    if (!file) {
        return failure(file.error() == FileFailure::notFound ? ElementFailure::fileNotFound
                                                             : ElementFailure::fileUnreadable);
    }
    LineReader& lines = *file;
    // An empty name would "match" before the first line and take the file's first lines for
    // elements.
    if (lookupName.empty()) {
        return failure(ElementFailure::nameNotFound);
    }
    int emptyLines = 0;
    for (;;) {
        const std::string line = withoutTrailingBlanks(upperCase(lines.read()));
        if (line == lookupName) {
            break;
        }
        emptyLines = line.empty() ? emptyLines + 1 : 0;
        if (emptyLines > emptyLinesMeaningEnd) {
            return failure(ElementFailure::nameNotFound);
        }
    }
    // The name line must be followed by both element lines.
    if (lines.atEnd()) {
        return failure(ElementFailure::nameNotFound);
    }
    const std::string line1 = lines.read();
    if (lines.atEnd()) {
        return failure(ElementFailure::nameNotFound);
    }
    const std::string line2 = lines.read();
    return parseElementLines(line1, line2);
}

bool elementYearOutOfDate(const KeplerianElementSet& elements, int year) {
    const int epochYear = elements.epochYear;
    return year > epochYear + 1 || epochYear > year + 1;
}

double daysSinceEpoch(const KeplerianElementSet& elements, int year, double now,
                      const std::function<void()>& outOfDate) {
    const int epochYear = elements.epochYear;
    if (outOfDate && elementYearOutOfDate(elements, year)) {
        outOfDate();
    }
    double days = now - elements.epochDay;
    for (int y = epochYear; y < year; ++y) {
        days += (y % 4 == 0) ? 366 : 365;
    }
    for (int y = year; y < epochYear; ++y) {
        days -= (y % 4 == 0) ? 366 : 365;
    }
    return days;
}

std::int16_t elementAgeDays(const KeplerianElementSet& elements, int year, double now) {
    // Whole years of 365 days: the age ignores leap days.
    return saturatedInt16(std::floor((year - elements.epochYear) * 365.0 + now - elements.epochDay));
}

std::string elementSetProblem(const KeplerianElementSet& elements) {
    if (!(elements.meanMotion > 0)) {
        return "mean motion is 0 or less";
    }
    if (!(elements.eccentricity >= 0 && elements.eccentricity < 1)) {
        return "eccentricity is not between 0 and 1";
    }
    return {};
}

}  // namespace station
