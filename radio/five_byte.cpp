// Five-byte command radios, codes Y, Y2 and Y3.
//
//   P1 P2 P3 P4 OP      four parameter bytes, then the opcode
//   f7f6 f5f4 f3f2 f1f0 OP    frequency commands: eight decimal digits of 10 Hz units
//
// Code Y works two bands plus a third one, Y2 two bands, Y3 two VFOs in split. With both links
// in one band class the uplink is carried as an offset from the downlink (opcode F9).
#include "radio/five_byte.hpp"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <vector>

#include "radio/protocols.hpp"
#include "radio/transport.hpp"

namespace station {

namespace {

constexpr std::int64_t eightDigits = 100'000'000;

struct BandRow {
    std::int32_t belowTenHz;  // the row holds frequencies below this
    std::int32_t baseTenHz;
};

constexpr std::int32_t topClassY = 124'000'000;
constexpr std::array<BandRow, 4> bandClassesY = {{
    {10'000'000, 5'000'000},
    {20'000'000, 14'400'000},
    {30'000'000, 22'000'000},
    {60'000'000, 43'000'000},
}};
constexpr std::int32_t topClassY2 = 43'000'000;
constexpr std::array<BandRow, 4> bandClassesY2 = {{
    {2'200'000, 2'100'000},
    {3'000'000, 2'800'000},
    {10'000'000, 5'000'000},
    {20'000'000, 14'400'000},
}};

constexpr std::int32_t classOf2m = 14'400'000;
constexpr std::int32_t classOf70cm = 43'000'000;

struct ModeRow {
    std::string_view prefix;
    std::uint8_t p1;
    bool onY3;  // Y3 knows no narrow CW: CWN falls through to CW
};

// Tested in this order, so FMN before FM and CWN before CW; FMW counts as FM.
constexpr std::array<ModeRow, 6> modeRows = {{
    {"FMN", 0x88, true},
    {"FM", 0x08, true},
    {"USB", 0x01, true},
    {"LSB", 0x00, true},
    {"CWN", 0x82, false},
    {"CW", 0x02, true},
}};

// The last eight decimal digits of a non-negative value, packed two to a byte.
FiveByteField lastEightDigits(std::int64_t value) {
    auto rest = static_cast<std::uint32_t>(value % eightDigits);
    FiveByteField field{};
    for (auto byte = field.rbegin(); byte != field.rend(); ++byte) {
        const auto low = static_cast<std::uint8_t>(rest % 10);
        rest /= 10;
        const auto high = static_cast<std::uint8_t>(rest % 10);
        rest /= 10;
        *byte = static_cast<std::uint8_t>(high << 4 | low);
    }
    return field;
}

// The bytes written by the first 2 * count characters of the text as hex digits; nothing when
// any of them is not a hex digit or the text is shorter.
std::optional<std::array<std::uint8_t, 2>> leadingHexBytes(const std::string& text, std::size_t count) {
    std::array<std::uint8_t, 2> bytes{};
    if (text.size() < 2 * count) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const char* pair = text.data() + 2 * i;
        if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
            !std::isxdigit(static_cast<unsigned char>(pair[1]))) {
            return std::nullopt;
        }
        std::from_chars(pair, pair + 2, bytes[i], 16);
    }
    return bytes;
}

void send(const RadioContext& context, const FiveByteCommand& command) {
    sendBytes(context, std::vector<std::uint8_t>(command.begin(), command.end()));
}

// Frequency opcodes with two band classes; Y3 has no band opcodes and sets its VFO in use.
std::uint8_t twoBandUplinkOpcode(FiveByteModel model) {
    return model == FiveByteModel::y ? fiveByteOp::uplinkY : fiveByteOp::uplinkY2;
}
std::uint8_t twoBandDownlinkOpcode(FiveByteModel model) {
    return model == FiveByteModel::y    ? fiveByteOp::downlinkY
           : model == FiveByteModel::y2 ? fiveByteOp::downlinkY2
                                        : fiveByteOp::frequency;
}

void sendMode(const RadioContext& context, const std::string& mode, std::uint8_t opcode, FiveByteModel model) {
    if (const auto command = fiveByteModeCommand(mode, opcode, model)) {
        send(context, *command);
    }
}

// A frequency the field cannot carry is not sent; false tells the caller to skip its pause.
bool sendFrequency(const RadioContext& context, std::int32_t tenHz, std::uint8_t opcode, FiveByteModel model) {
    if (!frequencyInRange(context, tenHz)) {
        return false;
    }
    send(context, fiveByteFrequencyCommand(tenHz, opcode, model));
    return true;
}

void sendOffsetAndShift(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz,
                        FiveByteModel model) {
    if (!frequencyInRange(context, txTenHz) || !frequencyInRange(context, rxTenHz)) {
        return;
    }
    send(context, fiveByteOffsetCommand(txTenHz, rxTenHz));
    radioPause(context);
    send(context, fiveByteShiftCommand(txTenHz, rxTenHz, model));
}

// Tone value, pause, tone-on; or tone-off and its pause. A tone code that is not the hex
// digits the radio expects would garble the command, so it leaves the tone off; so does a
// record cut short before its tone line.
void sendTone(const RadioContext& context, FiveByteModel model, bool twoBands) {
    const std::string& toneCode = context.frequencies.toneCode;
    const auto toneValue = toneCode == "0" ? std::nullopt : fiveByteToneCommand(toneCode, model, twoBands);
    if (!toneValue) {
        if (toneCode != "0" && !toneCode.empty()) {
            context.showMessage("Tone code " + toneCode + " not understood: tone off.");
        }
        send(context, fiveByteToneOff(model, twoBands));
        radioPause(context);
        return;
    }
    send(context, *toneValue);
    radioPause(context);
    send(context, fiveByteToneOn(model, twoBands));
}

// Codes Y and Y2 share one sequence: they differ in the two-band command and the uplink opcode,
// and only code Y visits its third band.
void setupTwoBandRadio(const RadioContext& context, FiveByteModel model, std::int32_t upClass,
                       std::int32_t downClass) {
    const bool codeY = model == FiveByteModel::y;
    const FrequencyRecord& f = context.frequencies;
    if (context.radio.linkBands == LinkBands::separate) {
        send(context, codeY ? fiveByte::twoBandY : fiveByte::twoBandY2);
        radioPause(context);
        sendMode(context, f.uplinkMode, fiveByteOp::uplinkMode, model);
        radioPause(context);
        sendMode(context, f.downlinkMode, fiveByteOp::downlinkMode, model);
        radioPause(context);
        if (codeY && context.station.thirdBandOption != 0) {
            // Visiting the third band, then the two working bands, leaves each band's VFO in
            // the class the pass needs.
            const std::int32_t third = thirdBandBase(context.station.thirdBandOption, upClass, downClass);
            using fiveByteOp::downlinkY, fiveByteOp::uplinkY;
            for (const auto& [base, opcode] : {std::pair{third, downlinkY}, std::pair{downClass, downlinkY},
                                               std::pair{upClass, uplinkY}, std::pair{downClass, downlinkY}}) {
                send(context, fiveByteFrequencyCommand(base, opcode, model));
                radioPause(context);
            }
        }
        if (uplinkSetAtSetup(context) && sendFrequency(context, context.radio.txTenHz, twoBandUplinkOpcode(model), model)) {
            radioPause(context);
        }
    } else {
        send(context, fiveByte::oneBand);
        radioPause(context);
        sendMode(context, f.downlinkMode, fiveByteOp::mode, model);
        radioPause(context);
    }
    sendTone(context, model, context.radio.linkBands == LinkBands::separate);
}

void setupY3(const RadioContext& context) {
    const auto model = FiveByteModel::y3;
    const FrequencyRecord& f = context.frequencies;
    if (context.radio.linkBands == LinkBands::shared) {
        radioPause(context);
        sendMode(context, f.downlinkMode, fiveByteOp::mode, model);
        radioPause(context);
        sendTone(context, model, false);
        return;
    }
    // The uplink VFO gets mode, frequency and tone, then the downlink VFO its mode; split
    // makes the radio transmit on the first and receive on the second.
    send(context, fiveByte::changeOver);
    radioPause(context);
    sendMode(context, f.uplinkMode, fiveByteOp::mode, model);
    radioPause(context);
    if (sendFrequency(context, context.radio.txTenHz, fiveByteOp::frequency, model)) {
        radioPause(context);
    }
    sendTone(context, model, false);
    send(context, fiveByte::noShift);
    radioPause(context);
    send(context, fiveByte::changeOver);
    radioPause(context);
    sendMode(context, f.downlinkMode, fiveByteOp::mode, model);
    radioPause(context);
    send(context, fiveByte::split);
    radioPause(context);
}

}  // namespace

std::optional<FiveByteModel> fiveByteModelOf(std::string_view radioCode) {
    if (radioCode == "Y") {
        return FiveByteModel::y;
    }
    if (radioCode == "Y2") {
        return FiveByteModel::y2;
    }
    if (radioCode == "Y3") {
        return FiveByteModel::y3;
    }
    return std::nullopt;
}

FiveByteField fiveByteFrequencyField(std::int32_t tenHz, FiveByteModel model) {
    FiveByteField field = lastEightDigits(tenHz);
    if (model == FiveByteModel::y && field[0] >> 4 == 2) {
        field[0] = static_cast<std::uint8_t>(0xC0 | (field[0] & 0x0F));
    }
    return field;
}

FiveByteCommand fiveByteFrequencyCommand(std::int32_t tenHz, std::uint8_t opcode, FiveByteModel model) {
    return fiveByteCommand(fiveByteFrequencyField(tenHz, model), opcode);
}

FiveByteCommand fiveByteOffsetCommand(std::int32_t txTenHz, std::int32_t rxTenHz) {
    return fiveByteCommand(lastEightDigits(std::llabs(static_cast<std::int64_t>(rxTenHz) - txTenHz)),
                           fiveByteOp::offset);
}

FiveByteCommand fiveByteShiftCommand(std::int32_t txTenHz, std::int32_t rxTenHz, FiveByteModel model) {
    const bool uplinkBelow = rxTenHz > txTenHz;
    if (model == FiveByteModel::y) {
        return fiveByteCommand(0x00, uplinkBelow ? fiveByteOp::shift : fiveByteOp::shiftUpY);
    }
    return fiveByteCommand(uplinkBelow ? fiveByteP1::shiftDown : fiveByteP1::shiftUp, fiveByteOp::shift);
}

std::optional<FiveByteCommand> fiveByteModeCommand(const std::string& mode, std::uint8_t opcode,
                                                   FiveByteModel model) {
    for (const ModeRow& row : modeRows) {
        if ((row.onY3 || model != FiveByteModel::y3) && modeIs(mode, row.prefix)) {
            return fiveByteCommand(row.p1, opcode);
        }
    }
    return std::nullopt;
}

std::int32_t fiveByteBandClass(std::int32_t tenHz, FiveByteModel model) {
    const bool y = model == FiveByteModel::y;
    for (const BandRow& row : y ? bandClassesY : bandClassesY2) {
        if (tenHz < row.belowTenHz) {
            return row.baseTenHz;
        }
    }
    return y ? topClassY : topClassY2;
}

std::int32_t thirdBandBase(std::int16_t thirdBandOption, std::int32_t uplinkClass,
                           std::int32_t downlinkClass) {
    std::int32_t third = thirdBandOption == 2 ? 22'000'000 : thirdBandOption == 3 ? 124'000'000 : 5'000'000;
    if (third == uplinkClass) {
        third = downlinkClass == classOf2m ? classOf70cm : classOf2m;
    }
    if (third == downlinkClass) {
        third = uplinkClass == classOf2m ? classOf70cm : classOf2m;
    }
    return third;
}

std::optional<FiveByteCommand> fiveByteToneCommand(const std::string& toneCode, FiveByteModel model,
                                                   bool twoBands) {
    if (model == FiveByteModel::y3) {
        const auto tone = leadingHexBytes(toneCode, 2);
        if (!tone) {
            return std::nullopt;
        }
        return fiveByteCommand({(*tone)[0], (*tone)[1], 0x00, 0x00}, fiveByteOp::toneOneBand);
    }
    const auto tone = leadingHexBytes(toneCode, 1);
    if (!tone) {
        return std::nullopt;
    }
    const std::uint8_t opcode = model == FiveByteModel::y ? fiveByteOp::toneY
                                : twoBands               ? fiveByteOp::toneTwoBandsY2
                                                         : fiveByteOp::toneOneBand;
    return fiveByteCommand((*tone)[0], opcode);
}

namespace {
// Code Y switches the tone by opcode; the others by P1, with Y2's two-band opcode.
FiveByteCommand toneSwitch(FiveByteModel model, bool twoBands, std::uint8_t p1, std::uint8_t opcodeY) {
    if (model == FiveByteModel::y) {
        return fiveByteCommand(0x00, opcodeY);
    }
    return fiveByteCommand(p1, model == FiveByteModel::y2 && twoBands ? fiveByteOp::toneSwitchTwoBandsY2
                                                                      : fiveByteOp::toneSwitch);
}
}  // namespace

FiveByteCommand fiveByteToneOn(FiveByteModel model, bool twoBands) {
    return toneSwitch(model, twoBands, fiveByteP1::toneOn, fiveByteOp::toneOnY);
}

FiveByteCommand fiveByteToneOff(FiveByteModel model, bool twoBands) {
    return toneSwitch(model, twoBands, fiveByteP1::toneOff, fiveByteOp::toneOffY);
}

void setupFiveByte(const RadioContext& context) {
    const auto model = fiveByteModelOf(context.station.radioType);
    if (!model) {
        return;
    }
    send(context, fiveByte::opening);
    radioPause(context);
    const std::int32_t upClass = fiveByteBandClass(context.radio.txTenHz, *model);
    const std::int32_t downClass = fiveByteBandClass(context.radio.rxTenHz, *model);
    context.radio.linkBands = upClass == downClass ? LinkBands::shared : LinkBands::separate;
    switch (*model) {
        case FiveByteModel::y:
        case FiveByteModel::y2:
            setupTwoBandRadio(context, *model, upClass, downClass);
            break;
        case FiveByteModel::y3:
            setupY3(context);
            break;
    }
}

void updateFiveByte(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                    bool rxChanged) {
    const auto model = fiveByteModelOf(context.station.radioType);
    if (!model) {
        return;
    }
    const bool uplinkFollows = context.station.uplinkCorrection == 1 && txChanged;
    if (context.radio.linkBands == LinkBands::separate) {
        // Y3 set its uplink VFO once at setup; the others have a command per band.
        if (*model != FiveByteModel::y3 && uplinkFollows) {
            sendFrequency(context, txTenHz, twoBandUplinkOpcode(*model), *model);
        }
        if (rxChanged) {
            sendFrequency(context, rxTenHz, twoBandDownlinkOpcode(*model), *model);
        }
        return;
    }
    if (rxChanged) {
        sendFrequency(context, rxTenHz, fiveByteOp::frequency, *model);
    }
    if (uplinkFollows) {
        sendOffsetAndShift(context, txTenHz, rxTenHz, *model);
    }
}

void shutdownFiveByte(const RadioContext& context) {
    const auto model = fiveByteModelOf(context.station.radioType);
    if (!model) {
        return;
    }
    if (*model == FiveByteModel::y3) {
        send(context, fiveByte::endSplit);
        radioPause(context);
        send(context, fiveByte::noShift);
        radioPause(context);
        send(context, fiveByteToneOff(*model, false));
        radioPause(context);
        send(context, fiveByte::closing);
        return;
    }
    radioPause(context);
    send(context, fiveByte::oneBand);
    radioPause(context);
    send(context, fiveByte::closing);
}

}  // namespace station
