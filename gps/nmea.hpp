#pragma once
// NMEA 0183 position sentences as the GPS reader sees them: the text after "$" up to and
// including the carriage return.
//
//   $ GPGLL , 4916.45 , N , 12311.12 , W , 225444 , A , *1D CR LF
//     talker+type, latitude ddmm.mm, N/S, longitude dddmm.mm, E/W, time hhmmss, ...
//
// Fields count from 1 (field 1 is the talker and type word). The checksum and the validity
// fields are not examined; the time stamp only shows that fresh sentences arrive.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

// Where a sentence type keeps its values (field numbers from 1).
struct GpsSentenceLayout {
    std::string_view type;  // characters 3 to 5 of the sentence
    int fieldCount;         // fields the type needs
    int timeField;
    int latitudeField;
    int northSouthField;
    int longitudeField;
    int eastWestField;
};

// Indexed by `gpsSentence` - 1: 1 GLL, 2 GGA, 3 RMC.
inline constexpr std::array<GpsSentenceLayout, 3> gpsSentenceLayouts{{
    {"GLL", 6, 6, 2, 3, 4, 5},
    {"GGA", 6, 2, 3, 4, 5, 6},
    {"RMC", 7, 2, 4, 5, 6, 7},
}};

// The layout of a configured sentence type, or nullptr for a value other than 1, 2 or 3.
const GpsSentenceLayout* gpsSentenceLayout(int gpsSentence);

// True when characters 3 to 5 of the line are the type name ("GPGLL,..." is a GLL sentence
// whatever its talker).
bool isGpsSentenceOfType(std::string_view line, const GpsSentenceLayout& layout);

// Fields 1 to count of the line. A field ends at a comma; the last one may also end where the
// sentence data ends (the "*" of the checksum or the carriage return). Nothing when the line
// holds fewer fields.
std::optional<std::vector<std::string>> splitGpsFields(std::string_view line, int count);

// Geodetic degrees, north and east positive.
struct GpsPosition {
    double latitudeDegrees = 0;
    double longitudeDegrees = 0;
};

// The position of the four fields: latitude ddmm.mmm (2 degree digits, the rest minutes),
// longitude dddmm.mmm (3 degree digits, then six characters of minutes), hemispheres "N"/"S"
// and "E"/"W". Nothing when a field is empty or not a number, a hemisphere is not one of its
// two letters, the minutes reach 60, or the latitude is beyond 90 or the longitude beyond 180
// degrees.
std::optional<GpsPosition> parseGpsPosition(std::string_view latitude, std::string_view northSouth,
                                            std::string_view longitude, std::string_view eastWest);

struct GpsSentence {
    std::string time;                   // the time field as sent, possibly empty
    std::optional<GpsPosition> position;  // nothing when the fields hold no valid position
};

// Nothing when the line is not of the layout's type or holds fewer fields than it needs.
std::optional<GpsSentence> parseGpsSentence(std::string_view line, const GpsSentenceLayout& layout);

}  // namespace station
