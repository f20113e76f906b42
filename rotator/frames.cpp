// Rotator frames and file lines.
//
//   interface 0   47 <az hi> <az lo> <el hi> <el lo> 0D        six bytes, no line end added
//   interface 1   "W" a a a " " e e e CR                       template "W000 000\r"
//   interface 2   "A" CR <az digits> CR "E" CR <el digits> CR
//   interface 3   ROT.DAT: "AZ" a a a " EL" e e e CR LF        template "AZ000 EL000"
//   interface 4   "P " <az> " " <el> LF                          degrees, two decimals
#include "rotator/frames.hpp"

#include "text/picture.hpp"

#include <charconv>
#include <cmath>

namespace station {

namespace {

// 1023.99 as the single-precision value the counts are scaled by (1023.989990234375).
constexpr float countsPerFullScale = 1023.99f;

// Writes the decimal digits of value into text so that the last one lands on lastIndex, over a
// field of `width` characters: the template's zeros stay in front as leading zeros.
void putDigitsRight(std::string& text, std::size_t lastIndex, std::size_t width, int value) {
    std::string digits = std::to_string(value);
    if (digits.size() > width) {
        digits.erase(0, digits.size() - width);
    }
    text.replace(lastIndex + 1 - digits.size(), digits.size(), digits);
}

}  // namespace

std::int16_t floorKeepingWhole(double x) {
    return static_cast<std::int16_t>(std::floor(std::round(x * 1000.0) / 1000.0));
}

RawPosition frameCounts(const OrbitConstants& constants, float azimuth, double elevation,
                        std::int16_t azimuthStopNorth, std::int16_t rotator450) {
    const double twoPi = 2 * constants.pi;
    float a = azimuth;
    if (azimuthStopNorth == 0) {
        a = static_cast<float>(a + constants.pi);
        if (a > twoPi) {
            a = static_cast<float>(a - twoPi);
        }
    }
    if (rotator450 == 1) {
        a = static_cast<float>(360.0 * a / 450.0);
    }
    return {floorKeepingWhole(a / twoPi * countsPerFullScale),
            floorKeepingWhole(elevation / constants.pi * countsPerFullScale)};
}

RawPosition wholeDegreePosition(const OrbitConstants& constants, float azimuth, double elevation) {
    return {floorKeepingWhole(azimuth * 180.0 / constants.pi),
            floorKeepingWhole(elevation * 180.0 / constants.pi)};
}

std::vector<std::uint8_t> gFrame(RawPosition raw) {
    const auto azimuth = static_cast<std::uint16_t>(raw.azimuth);
    const auto elevation = static_cast<std::uint16_t>(raw.elevation);
    return {
        0x47,                                          // "G"
        static_cast<std::uint8_t>(azimuth / 256),      // azimuth count, high byte
        static_cast<std::uint8_t>(azimuth % 256),      // azimuth count, low byte
        static_cast<std::uint8_t>(elevation / 256),    // elevation count, high byte
        static_cast<std::uint8_t>(elevation % 256),    // elevation count, low byte
        0x0D,                                          // carriage return
    };
}

std::string wCommand(RawPosition raw) {
    std::string text = "W000 000\r";
    putDigitsRight(text, 3, 3, raw.azimuth);
    putDigitsRight(text, 7, 3, raw.elevation);
    return text;
}

namespace {
std::string twoDecimals(double degrees) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, degrees, std::chars_format::fixed, 2).ptr;
    return std::string(text, end);
}
}  // namespace

std::string positionCommand(double azimuthDegrees, double elevationDegrees) {
    return "P " + twoDecimals(azimuthDegrees) + " " + twoDecimals(elevationDegrees);
}

std::string aeCommands(RawPosition raw) {
    return "A\r" + std::to_string(raw.azimuth) + "\rE\r" + std::to_string(raw.elevation) + "\r";
}

std::string rotDatText(RawPosition raw) {
    std::string text = "AZ000 EL000";
    putDigitsRight(text, 4, 3, raw.azimuth);
    putDigitsRight(text, 10, 3, raw.elevation);
    return text + "\r\n";
}

std::string flipStateFileText(std::int16_t flipState) {
    return formatInteger(flipState) + " \r\n";
}

}  // namespace station
