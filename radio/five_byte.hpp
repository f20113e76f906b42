#pragma once
// Five-byte command radios (codes Y, Y2, Y3): the pure builders of their commands.
// Every command is P1 P2 P3 P4 <opcode>; frequencies travel as four packed decimal bytes.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace station {

enum class FiveByteModel { y, y2, y3 };

std::optional<FiveByteModel> fiveByteModelOf(std::string_view radioCode);

// P1 P2 P3 P4 OP, in the order they go on the wire.
using FiveByteCommand = std::array<std::uint8_t, 5>;
// Four packed decimal bytes, most significant first.
using FiveByteField = std::array<std::uint8_t, 4>;

// A command of four parameter bytes and its opcode.
constexpr FiveByteCommand fiveByteCommand(FiveByteField parameters, std::uint8_t opcode) {
    return {
        parameters[0],  // P1
        parameters[1],  // P2
        parameters[2],  // P3
        parameters[3],  // P4
        opcode,         // OP
    };
}
// A command whose only parameter, if any, is P1.
constexpr FiveByteCommand fiveByteCommand(std::uint8_t p1, std::uint8_t opcode) {
    return fiveByteCommand({p1, 0x00, 0x00, 0x00}, opcode);
}

// The packed digits of a frequency in 10 Hz units: its last eight decimal digits, with C for a
// leading 2 on code Y (so 1296.000 MHz reads C9 60 00 00).
FiveByteField fiveByteFrequencyField(std::int32_t tenHz, FiveByteModel model);
// Field + opcode, e.g. 43 58 00 00 1E.
FiveByteCommand fiveByteFrequencyCommand(std::int32_t tenHz, std::uint8_t opcode, FiveByteModel model);
// |rx - tx| as the last eight decimal digits, opcode F9.
FiveByteCommand fiveByteOffsetCommand(std::int32_t txTenHz, std::int32_t rxTenHz);
// The shift that follows an offset: the first of the model's pair when the uplink is below
// the downlink.
FiveByteCommand fiveByteShiftCommand(std::int32_t txTenHz, std::int32_t rxTenHz, FiveByteModel model);
// P1 of the mode text + 00 00 00 + opcode; nothing when the text matches no mode.
std::optional<FiveByteCommand> fiveByteModeCommand(const std::string& mode, std::uint8_t opcode,
                                                   FiveByteModel model);

// The band class of a frequency: the base value (10 Hz units) of its row in the model's table.
std::int32_t fiveByteBandClass(std::int32_t tenHz, FiveByteModel model);
// Code Y's third band, moved off the uplink and downlink classes.
std::int32_t thirdBandBase(std::int16_t thirdBandOption, std::int32_t uplinkClass,
                           std::int32_t downlinkClass);

// The tone value command of the model (two bands matters for Y2 only); nothing when the
// tone code does not begin with the hex digits the command carries (two, four for Y3).
std::optional<FiveByteCommand> fiveByteToneCommand(const std::string& toneCode, FiveByteModel model,
                                                   bool twoBands);
FiveByteCommand fiveByteToneOn(FiveByteModel model, bool twoBands);
FiveByteCommand fiveByteToneOff(FiveByteModel model, bool twoBands);

// The opcodes, named after what this program sends them for.
namespace fiveByteOp {
inline constexpr std::uint8_t open = 0x00;
inline constexpr std::uint8_t close = 0x80;
inline constexpr std::uint8_t twoBandY = 0x0E;
inline constexpr std::uint8_t twoBandY2 = 0x4E;
inline constexpr std::uint8_t oneBand = 0x8E;
inline constexpr std::uint8_t changeOver = 0x81;
inline constexpr std::uint8_t split = 0x02;
inline constexpr std::uint8_t endSplit = 0x82;
inline constexpr std::uint8_t frequency = 0x01;         // one band, or Y3's VFO in use
inline constexpr std::uint8_t uplinkY = 0x2E;           // code Y, uplink band
inline constexpr std::uint8_t downlinkY = 0x1E;         // code Y, downlink band
inline constexpr std::uint8_t uplinkY2 = 0x21;          // code Y2, uplink band
inline constexpr std::uint8_t downlinkY2 = 0x11;        // code Y2, downlink band
inline constexpr std::uint8_t mode = 0x07;              // one band, or Y3's VFO in use
inline constexpr std::uint8_t uplinkMode = 0x27;        // two bands
inline constexpr std::uint8_t downlinkMode = 0x17;      // two bands
inline constexpr std::uint8_t offset = 0xF9;
inline constexpr std::uint8_t shift = 0x09;             // P1 (Y2, Y3) or this opcode (Y) sets the way
inline constexpr std::uint8_t shiftUpY = 0x49;          // code Y: uplink above the downlink
inline constexpr std::uint8_t toneY = 0xFA;
inline constexpr std::uint8_t toneOneBand = 0x0B;
inline constexpr std::uint8_t toneTwoBandsY2 = 0x2B;
inline constexpr std::uint8_t toneOnY = 0x4A;
inline constexpr std::uint8_t toneOffY = 0x8A;
inline constexpr std::uint8_t toneSwitch = 0x0A;        // P1 4A on, 8A off
inline constexpr std::uint8_t toneSwitchTwoBandsY2 = 0x2A;
}  // namespace fiveByteOp

// P1 values of the shift and tone switch commands.
namespace fiveByteP1 {
inline constexpr std::uint8_t shiftDown = 0x09;  // uplink below the downlink
inline constexpr std::uint8_t shiftUp = 0x49;
inline constexpr std::uint8_t noShift = 0x89;
inline constexpr std::uint8_t toneOn = 0x4A;
inline constexpr std::uint8_t toneOff = 0x8A;
}  // namespace fiveByteP1

// The fixed commands.
namespace fiveByte {
inline constexpr FiveByteCommand opening = fiveByteCommand(0x00, fiveByteOp::open);
inline constexpr FiveByteCommand closing = fiveByteCommand(0x00, fiveByteOp::close);
inline constexpr FiveByteCommand twoBandY = fiveByteCommand(0x00, fiveByteOp::twoBandY);
inline constexpr FiveByteCommand twoBandY2 = fiveByteCommand(0x00, fiveByteOp::twoBandY2);
inline constexpr FiveByteCommand oneBand = fiveByteCommand(0x00, fiveByteOp::oneBand);
inline constexpr FiveByteCommand changeOver = fiveByteCommand(0x00, fiveByteOp::changeOver);
inline constexpr FiveByteCommand split = fiveByteCommand(0x00, fiveByteOp::split);
inline constexpr FiveByteCommand endSplit = fiveByteCommand(0x00, fiveByteOp::endSplit);
inline constexpr FiveByteCommand noShift = fiveByteCommand(fiveByteP1::noShift, fiveByteOp::shift);
}  // namespace fiveByte

}  // namespace station
