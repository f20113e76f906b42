#pragma once
// Five-byte command radios (codes Y, Y2, Y3): the pure builders of their hexadecimal commands.
// Every command is P1 P2 P3 P4 <opcode>; frequencies travel as four packed decimal bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace station {

enum class FiveByteModel { y, y2, y3 };

std::optional<FiveByteModel> fiveByteModelOf(std::string_view radioCode);

// The 8 hex digits of a frequency in 10 Hz units: its last eight decimal digits, with C for a
// leading 2 on code Y (so 1296.000 MHz reads C9 60 00 00).
std::string fiveByteFrequencyField(std::int32_t tenHz, FiveByteModel model);
// Field + opcode, e.g. "435800001E".
std::string fiveByteFrequencyCommand(std::int32_t tenHz, std::string_view opcode, FiveByteModel model);
// |rx - tx| as the last eight decimal digits, opcode F9.
std::string fiveByteOffsetCommand(std::int32_t txTenHz, std::int32_t rxTenHz);
// The shift that follows an offset: the first of the model's pair when the uplink is below
// the downlink.
std::string fiveByteShiftCommand(std::int32_t txTenHz, std::int32_t rxTenHz, FiveByteModel model);
// P1 of the mode text + 00 00 00 + opcode; nothing when the text matches no mode.
std::optional<std::string> fiveByteModeCommand(const std::string& mode, std::string_view opcode,
                                               FiveByteModel model);

// The band class of a frequency: the base value (10 Hz units) of its row in the model's table.
std::int32_t fiveByteBandClass(std::int32_t tenHz, FiveByteModel model);
// Code Y's third band, moved off the uplink and downlink classes.
std::int32_t thirdBandBase(std::int16_t thirdBandOption, std::int32_t uplinkClass,
                           std::int32_t downlinkClass);

// The tone value command of the model (two bands matters for Y2 only); nothing when the
// tone code does not begin with the hex digits the command carries (two, four for Y3).
std::optional<std::string> fiveByteToneCommand(const std::string& toneCode, FiveByteModel model,
                                               bool twoBands);
std::string fiveByteToneOn(FiveByteModel model, bool twoBands);
std::string fiveByteToneOff(FiveByteModel model, bool twoBands);

// The fixed commands.
namespace fiveByte {
inline constexpr std::string_view opening = "0000000000";
inline constexpr std::string_view closing = "0000000080";
inline constexpr std::string_view twoBandY = "000000000E";
inline constexpr std::string_view twoBandY2 = "000000004E";
inline constexpr std::string_view oneBand = "000000008E";
inline constexpr std::string_view changeOver = "0000000081";
inline constexpr std::string_view split = "0000000002";
inline constexpr std::string_view endSplit = "0000000082";
inline constexpr std::string_view noShift = "8900000009";
}  // namespace fiveByte

}  // namespace station
