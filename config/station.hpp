#pragma once
// KELVORIN.CFG: the station configuration, 44 values in file order and 4 optional ones after
// them, read by both programs.
#include "console/files.hpp"
#include "console/station_file.hpp"
#include "orbit/orbit_model.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace station {

// Value 14: how the rotator is driven. Numbers outside 0 to 4 are kept as read: such a rotator is
// given no output.
enum class RotatorInterface : std::int16_t {
    gFrame = 0,   // the binary "G" frame to the interface latches
    wText = 1,    // "W" text
    aeText = 2,   // "A" and "E" texts
    rotDat = 3,   // the ROT.DAT file
    daemon = 4,   // the rotator daemon at the address of value 46
};

struct Station {
    std::string stationName;      // 1, shown after "Seen from "
    std::string elementFileName;  // 2
    float latitude = 0;           // 3, radians, geocentric
    float geodeticLatitude = 0;   // 3 as given, radians: where the SGP4 model puts the station
    float longitude = 0;          // 4, radians, east positive
    double minimumElevation = 0;  // 5, radians (single precision in the scheduler)
    float searchStep = 0;         // 6, minutes (seconds in the file)
    std::int16_t azimuthStopNorth = 0;  // 7
    std::int16_t rotator450 = 0;        // 8
    float trackingStep = 0;             // 9, radians
    std::int16_t flipEnabled = 0;       // 10
    std::int16_t parkEnabled = 0;       // 11
    float parkAzimuth = 0;              // 12, radians
    double parkElevation = 0;           // 13, radians
    RotatorInterface rotatorInterface = RotatorInterface::gFrame;  // 14
    std::int32_t rotatorBaud = 0;       // 15, bit/s
    std::int16_t rotatorPort = 0;       // 16, 0 or less: no rotator
    float utcOffsetHours = 0;           // 17, hours added to the clock to get UTC
    std::string radioType;              // 18, radio code ("H": the radio daemon at 45)
    std::int16_t radioPort = 0;         // 19
    std::int32_t radioBaud = 0;         // 20
    std::string radioAddress;           // 21, two hex digits
    std::string txRadioAddress;         // 22
    std::int16_t filterOption = 0;      // 23
    std::int16_t uplinkCorrection = 0;  // 24
    float dopplerThresholdHz = 1;       // 25, Hz, at least 1.0
    std::int16_t thirdBandOption = 0;   // 26
    std::array<double, 9> converterLo{};  // [1..8], MHz; [1] is always 0; 27..33 fill [2..8]
    std::int16_t quitAfterPass = 0;       // 34
    std::int32_t tuningStepLeftRight = 0;  // 35, Hz
    std::int32_t tuningStepUpDown = 0;     // 36, Hz
    std::int16_t gpsPort = 0;              // 37
    std::int32_t gpsBaud = 0;              // 38
    std::int16_t useGpsPosition = 0;       // 39
    std::int16_t gpsSentence = 0;          // 40: 1 GLL, 2 GGA, 3 RMC
    float gpsTimeOffsetSeconds = 0;        // 41, kept, unused
    std::int16_t backgroundColour = 0;     // 42
    std::int16_t foregroundColour = 0;     // 43
    std::int16_t highlightColour = 0;      // 44
    std::string radioDaemonAddress;        // 45, optional, kept as read: "host:port"
    std::string rotatorDaemonAddress;      // 46, optional, kept as read
    OrbitModel orbitModel = OrbitModel::builtIn;  // 47, optional: 0 built-in, 1 SGP4/SDP4
    // 48, optional: the directory of the status files, as written (case kept, blanks at either
    // end dropped), relative to the station directory; empty: no status files.
    std::string statusDirectory;
};

// The network control daemons: radio code H and the rotator's daemon interface reach them at the addresses
// of values 45 and 46, by default on this machine at their usual ports.
inline constexpr std::string_view daemonRadioCode = "H";
inline constexpr std::uint16_t radioDaemonPort = 4532;
inline constexpr std::uint16_t rotatorDaemonPort = 4533;

// A radio or rotator is controlled when its serial port number is positive, or through its
// daemon, which needs no port.
inline bool radioControlled(const Station& station) { return station.radioPort > 0 || station.radioType == daemonRadioCode; }
inline bool rotatorOnLink(const Station& station) {
    return station.rotatorPort > 0 || station.rotatorInterface == RotatorInterface::daemon;
}

// Where the orbit models put the station: the built-in one at the geocentric latitude, SGP4 at the
// geodetic one.
inline StationPosition stationPositionOf(const Station& station) { return {station.latitude, station.longitude}; }
inline ObserverSite observerOf(const Station& station) {
    return observerSite(stationPositionOf(station), station.geodeticLatitude);
}

// Which program reads the file: the scheduler reads ports 16 and 37 as hexadecimal, keeps the
// minimum elevation in single precision and makes the latitude geocentric its own way.
enum class StationReader { tracker, scheduler };

// Reads KELVORIN.CFG; a value its field cannot hold, or a model number naming no model, fails it.
Result<Station, FileFailure> readStationConfig(const Files& files, StationReader reader = StationReader::tracker);
// Value 2 alone, for a program that needs nothing else of the file.
Result<std::string, FileFailure> readElementFileName(const Files& files);

}  // namespace station
