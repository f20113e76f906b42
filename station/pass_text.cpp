#include "station/pass_text.hpp"

#include "orbit/constants.hpp"
#include "station/date_time.hpp"
#include "text/picture.hpp"

#include <cmath>

namespace station {

namespace {
constexpr double degreesPerRadian = 180 / programPi;

std::string withoutLeadingBlanks(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    return text;
}
}  // namespace

std::string passLogText(int year, double aosUtc, double losUtc, double maximumElevation) {
    return "AOS " + isoUtcText(year, aosUtc) + ", LOS " + isoUtcText(year, losUtc) + ", maximum elevation " +
           elevationText(maximumElevation) + " degrees";
}

std::string azimuthText(double radians) {
    const double degrees = std::round(radians * degreesPerRadian);
    if (!std::isfinite(degrees)) {
        return "?";
    }
    const double whole = std::fmod(std::fmod(degrees, 360) + 360, 360);
    return std::to_string(static_cast<int>(whole));
}

std::string elevationText(double radians) {
    return withoutLeadingBlanks(formatPicture("###.#", radians * degreesPerRadian));
}

}  // namespace station
