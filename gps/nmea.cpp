#include "gps/nmea.hpp"

#include "text/numbers.hpp"

#include <algorithm>
#include <cctype>

namespace station {

namespace {

constexpr double minutesPerDegree = 60;
constexpr double latitudeLimitDegrees = 90;
constexpr double longitudeLimitDegrees = 180;
constexpr std::size_t latitudeDegreeDigits = 2;
constexpr std::size_t longitudeDegreeDigits = 3;
// Characters 4 to 9 of the longitude field are its minutes; further decimals are not used.
constexpr std::size_t longitudeMinuteCharacters = 6;

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Digits with at most one decimal point, at least one digit: no sign, no blanks, no exponent.
bool isPlainDecimal(std::string_view text) {
    const auto points = std::count(text.begin(), text.end(), '.');
    const auto digits = std::count_if(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    return points <= 1 && digits >= 1 && static_cast<std::size_t>(points + digits) == text.size();
}

// Degrees of an angle field: whole degrees in the first characters, minutes after them. Only
// the first minuteCharacters of the minutes are used.
std::optional<double> angleDegrees(std::string_view field, std::size_t degreeDigits, std::size_t minuteCharacters) {
    if (field.size() <= degreeDigits) {
        return std::nullopt;
    }
    const std::string_view degrees = field.substr(0, degreeDigits);
    const std::string_view minutesText = field.substr(degreeDigits);
    if (!allDigits(degrees) || !isPlainDecimal(minutesText)) {
        return std::nullopt;
    }
    const double minutes = leadingNumber(minutesText.substr(0, minuteCharacters));
    if (minutes >= minutesPerDegree) {
        return std::nullopt;
    }
    return leadingNumber(degrees) + minutes / minutesPerDegree;
}

// +1 or -1 for the hemisphere letters, nothing for anything else.
std::optional<double> hemisphereSign(std::string_view field, char positive, char negative) {
    if (field.size() == 1 && field[0] == positive) {
        return 1.0;
    }
    if (field.size() == 1 && field[0] == negative) {
        return -1.0;
    }
    return std::nullopt;
}

}  // namespace

const GpsSentenceLayout* gpsSentenceLayout(int gpsSentence) {
    if (gpsSentence < 1 || gpsSentence > static_cast<int>(gpsSentenceLayouts.size())) {
        return nullptr;
    }
    return &gpsSentenceLayouts[static_cast<std::size_t>(gpsSentence - 1)];
}

bool isGpsSentenceOfType(std::string_view line, const GpsSentenceLayout& layout) {
    return line.size() >= 5 && line.substr(2, 3) == layout.type;
}

std::optional<std::vector<std::string>> splitGpsFields(std::string_view line, int count) {
    const std::string_view data = line.substr(0, line.find_first_of("*\r"));
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (static_cast<int>(fields.size()) < count) {
        if (start > data.size()) {
            return std::nullopt;
        }
        const std::size_t comma = data.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? data.size() : comma;
        fields.emplace_back(data.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

std::optional<GpsPosition> parseGpsPosition(std::string_view latitude, std::string_view northSouth,
                                            std::string_view longitude, std::string_view eastWest) {
    const auto latitudeAngle = angleDegrees(latitude, latitudeDegreeDigits, std::string_view::npos);
    const auto longitudeAngle = angleDegrees(longitude, longitudeDegreeDigits, longitudeMinuteCharacters);
    const auto northSign = hemisphereSign(northSouth, 'N', 'S');
    const auto eastSign = hemisphereSign(eastWest, 'E', 'W');
    if (!latitudeAngle || !longitudeAngle || !northSign || !eastSign) {
        return std::nullopt;
    }
    if (*latitudeAngle > latitudeLimitDegrees || *longitudeAngle > longitudeLimitDegrees) {
        return std::nullopt;
    }
    return GpsPosition{*northSign * *latitudeAngle, *eastSign * *longitudeAngle};
}

std::optional<GpsSentence> parseGpsSentence(std::string_view line, const GpsSentenceLayout& layout) {
    if (!isGpsSentenceOfType(line, layout)) {
        return std::nullopt;
    }
    const auto fields = splitGpsFields(line, layout.fieldCount);
    if (!fields) {
        return std::nullopt;
    }
    auto field = [&](int number) -> const std::string& { return (*fields)[static_cast<std::size_t>(number - 1)]; };
    return GpsSentence{field(layout.timeField),
                       parseGpsPosition(field(layout.latitudeField), field(layout.northSouthField),
                                        field(layout.longitudeField), field(layout.eastWestField))};
}

}  // namespace station
