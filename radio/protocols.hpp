#pragma once
// Command builders of radio codes I, I2 (addressed frames), K (semicolon text) and A (RF text).
// Pure functions: they return what goes on the wire; the setup and update sequences send it.
#include "radio/transport.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace station {

// The frequency file's record of where the radio rests between passes.
inline const std::string parkDesignation = "PARK";

// Without uplink correction the uplink never changes during a pass, so the setup sends it once.
inline bool uplinkSetAtSetup(const RadioContext& context) { return context.station.uplinkCorrection != 1; }
inline bool uplinkFollowsDoppler(const RadioContext& context) { return context.station.uplinkCorrection == 1; }

// A frequency in 10 Hz units as whole Hz; 64 bits, since Hz above 2147 MHz overflow 32.
inline std::int64_t hertzOf(std::int32_t tenHz) { return static_cast<std::int64_t>(tenHz) * 10; }

// Addressed frames, as hexadecimal text without blanks (sendHex turns it into bytes).
inline constexpr std::string_view bandD0 = "D0";
inline constexpr std::string_view bandD1 = "D1";
// FE FE <address> E0
std::string addressedFrameHeader(std::string_view address);
// 01 FD, 02 FD or 03 FD for filter option 1, 2 or 3; FD for any other.
std::string modeFrameEndFor(int filterOption);
std::string bandSelectFrame(std::string_view header, std::string_view band);
std::string vfoSelectFrame(std::string_view header);
// Empty when the mode text matches no line of the mode table.
std::string modeFrame(std::string_view header, const std::string& mode, std::string_view modeFrameEnd);
// Empty when the frequency does not fit the ten packed decimal digits of Hz.
std::string frequencyFrame(std::string_view header, std::int32_t tenHz);

// Semicolon commands (code K).
inline constexpr std::string_view semicolonReset = "MT;";
inline constexpr std::string_view semicolonUplinkInControl = "DC0;";
inline constexpr std::string_view semicolonDownlinkInControl = "DC1;";
inline constexpr std::string_view semicolonFunctionOff = "FN0;";
// Empty when the mode text matches no line of the mode table.
std::string semicolonModeCommand(const std::string& mode);
// "FA" + Hz as 11 digits + ";"; empty when the frequency does not fit 11 digits.
std::string semicolonFrequencyCommand(std::int32_t tenHz);

// RF text commands (code A), each ended by a carriage return.
inline constexpr std::string_view rfTextExit = "EX\r";
// A lone carriage return when the mode text matches no line of the mode table.
std::string rfTextModeCommand(const std::string& mode);
std::string rfTextFrequencyCommand(std::int32_t tenHz);

// Radio daemon commands (code H), each a line of its own (sent with its LF by the transport).
inline constexpr std::string_view daemonSplitOn = "S 1 VFOB";
// The daemon's name of a mode text ("FMW" is "FM"); empty when the mode text matches no line of
// the mode table.
std::string_view daemonModeName(const std::string& mode);
// "M USB 0" (main VFO, the downlink) or "X USB 0" (split VFO, the uplink): passband 0 keeps the
// radio's own for the mode. Empty when the mode has no daemon name.
std::string daemonModeCommand(char command, const std::string& mode);
// "F 145900000" (main VFO) or "I 435000000" (split VFO), in whole Hz.
std::string daemonFrequencyCommand(char command, std::int32_t tenHz);

}  // namespace station
