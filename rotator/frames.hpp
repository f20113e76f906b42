#pragma once
// What reaches the rotator, built apart from any I/O: the binary frame of interface 0, the texts
// of interfaces 1, 2 and 4, the ROT.DAT line of interface 3 and the KVFLIP.DAT line.
#include "orbit/constants.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace station {

// A rotator position in the units of an interface: 10-bit counts (interface 0) or whole degrees.
struct RawPosition {
    std::int16_t azimuth = 0;
    std::int16_t elevation = 0;
    bool operator==(const RawPosition&) const = default;
};

// The largest whole number not above x, where x is taken to three decimals first: an angle that is
// whole in degrees (30 + 180 flipped) must not come out one unit low because single precision
// stores it as 209.99999...
std::int16_t floorKeepingWhole(double x);

// Interface 0: A and E (radians, after guard, limits and flip) as 10-bit counts; the azimuth scale
// starts at the rotator's stop, and a 450-degree rotator spreads its counts over 450 degrees.
RawPosition frameCounts(const OrbitConstants& constants, float azimuth, double elevation,
                        std::int16_t azimuthStopNorth, std::int16_t rotator450);
// Interfaces 1 to 3: A and E as whole degrees.
RawPosition wholeDegreePosition(const OrbitConstants& constants, float azimuth, double elevation);

// 47 <az div 256> <az mod 256> <el div 256> <el mod 256> 0D   ("G", counts, carriage return)
std::vector<std::uint8_t> gFrame(RawPosition raw);
// "Waaa eee\r": three digits each, leading zeros.
std::string wCommand(RawPosition raw);
// "A\r<az>\rE\r<el>\r": decimal digits without leading zeros.
std::string aeCommands(RawPosition raw);
// "P aaa.aa eee.ee": interface 4, the rotator daemon's position command, in degrees to two
// decimals (sent as a line of its own).
std::string positionCommand(double azimuthDegrees, double elevationDegrees);
// "AZaaa ELeee\r\n": the whole content of ROT.DAT.
std::string rotDatText(RawPosition raw);
// " n \r\n": the whole content of KVFLIP.DAT (a minus sign takes the place of the blank).
std::string flipStateFileText(std::int16_t flipState);

}  // namespace station
