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
#include <cstdio>
#include <cstdlib>

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
    std::string_view p1;
    bool onY3;  // Y3 knows no narrow CW: CWN falls through to CW
};

// Tested in this order, so FMN before FM and CWN before CW; FMW counts as FM.
constexpr std::array<ModeRow, 6> modeRows = {{
    {"FMN", "88", true},
    {"FM", "08", true},
    {"USB", "01", true},
    {"LSB", "00", true},
    {"CWN", "82", false},
    {"CW", "02", true},
}};

std::string lastEightDigits(std::int64_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08lld", static_cast<long long>(value % eightDigits));
    return digits;
}

bool beginsWithHexDigits(const std::string& text, std::size_t count) {
    if (text.size() < count) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    return true;
}

// Frequency opcodes with two band classes; Y3 has no band opcodes and sets its VFO in use.
std::string_view twoBandUplinkOpcode(FiveByteModel model) {
    return model == FiveByteModel::y ? "2E" : "21";
}
std::string_view twoBandDownlinkOpcode(FiveByteModel model) {
    return model == FiveByteModel::y ? "1E" : model == FiveByteModel::y2 ? "11" : "01";
}

void sendMode(const RadioContext& context, const std::string& mode, std::string_view opcode, FiveByteModel model) {
    if (const auto command = fiveByteModeCommand(mode, opcode, model)) {
        sendHex(context, *command);
    }
}

// A frequency the field cannot carry is not sent; false tells the caller to skip its pause.
bool sendFrequency(const RadioContext& context, std::int32_t tenHz, std::string_view opcode, FiveByteModel model) {
    if (!frequencyInRange(context, tenHz)) {
        return false;
    }
    sendHex(context, fiveByteFrequencyCommand(tenHz, opcode, model));
    return true;
}

void sendOffsetAndShift(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz,
                        FiveByteModel model) {
    if (!frequencyInRange(context, txTenHz) || !frequencyInRange(context, rxTenHz)) {
        return;
    }
    sendHex(context, fiveByteOffsetCommand(txTenHz, rxTenHz));
    radioPause(context);
    sendHex(context, fiveByteShiftCommand(txTenHz, rxTenHz, model));
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
        sendHex(context, fiveByteToneOff(model, twoBands));
        radioPause(context);
        return;
    }
    sendHex(context, *toneValue);
    radioPause(context);
    sendHex(context, fiveByteToneOn(model, twoBands));
}

// Codes Y and Y2 share one sequence: they differ in the two-band command and the uplink opcode,
// and only code Y visits its third band.
void setupTwoBandRadio(const RadioContext& context, FiveByteModel model, std::int32_t upClass,
                       std::int32_t downClass) {
    const bool codeY = model == FiveByteModel::y;
    const FrequencyRecord& f = context.frequencies;
    if (context.radio.linkBands == LinkBands::separate) {
        sendHex(context, codeY ? fiveByte::twoBandY : fiveByte::twoBandY2);
        radioPause(context);
        sendMode(context, f.uplinkMode, "27", model);
        radioPause(context);
        sendMode(context, f.downlinkMode, "17", model);
        radioPause(context);
        if (codeY && context.station.thirdBandOption != 0) {
            // Visiting the third band, then the two working bands, leaves each band's VFO in
            // the class the pass needs.
            const std::int32_t third = thirdBandBase(context.station.thirdBandOption, upClass, downClass);
            for (const auto& [base, opcode] : {std::pair{third, "1E"}, std::pair{downClass, "1E"},
                                               std::pair{upClass, "2E"}, std::pair{downClass, "1E"}}) {
                sendHex(context, fiveByteFrequencyCommand(base, opcode, model));
                radioPause(context);
            }
        }
        if (uplinkSetAtSetup(context) && sendFrequency(context, context.radio.txTenHz, codeY ? "2E" : "21", model)) {
            radioPause(context);
        }
    } else {
        sendHex(context, fiveByte::oneBand);
        radioPause(context);
        sendMode(context, f.downlinkMode, "07", model);
        radioPause(context);
    }
    sendTone(context, model, context.radio.linkBands == LinkBands::separate);
}

void setupY3(const RadioContext& context) {
    const auto model = FiveByteModel::y3;
    const FrequencyRecord& f = context.frequencies;
    if (context.radio.linkBands == LinkBands::shared) {
        radioPause(context);
        sendMode(context, f.downlinkMode, "07", model);
        radioPause(context);
        sendTone(context, model, false);
        return;
    }
    // The uplink VFO gets mode, frequency and tone, then the downlink VFO its mode; split
    // makes the radio transmit on the first and receive on the second.
    sendHex(context, fiveByte::changeOver);
    radioPause(context);
    sendMode(context, f.uplinkMode, "07", model);
    radioPause(context);
    if (sendFrequency(context, context.radio.txTenHz, "01", model)) {
        radioPause(context);
    }
    sendTone(context, model, false);
    sendHex(context, fiveByte::noShift);
    radioPause(context);
    sendHex(context, fiveByte::changeOver);
    radioPause(context);
    sendMode(context, f.downlinkMode, "07", model);
    radioPause(context);
    sendHex(context, fiveByte::split);
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

std::string fiveByteFrequencyField(std::int32_t tenHz, FiveByteModel model) {
    std::string field = lastEightDigits(tenHz);
    if (model == FiveByteModel::y && field.front() == '2') {
        field.front() = 'C';
    }
    return field;
}

std::string fiveByteFrequencyCommand(std::int32_t tenHz, std::string_view opcode, FiveByteModel model) {
    return fiveByteFrequencyField(tenHz, model) + std::string(opcode);
}

std::string fiveByteOffsetCommand(std::int32_t txTenHz, std::int32_t rxTenHz) {
    return lastEightDigits(std::llabs(static_cast<std::int64_t>(rxTenHz) - txTenHz)) + "F9";
}

std::string fiveByteShiftCommand(std::int32_t txTenHz, std::int32_t rxTenHz, FiveByteModel model) {
    const bool uplinkBelow = rxTenHz > txTenHz;
    if (model == FiveByteModel::y) {
        return uplinkBelow ? "0000000009" : "0000000049";
    }
    return uplinkBelow ? "0900000009" : "4900000009";
}

std::optional<std::string> fiveByteModeCommand(const std::string& mode, std::string_view opcode,
                                               FiveByteModel model) {
    for (const ModeRow& row : modeRows) {
        if ((row.onY3 || model != FiveByteModel::y3) && modeIs(mode, row.prefix)) {
            return std::string(row.p1) + "000000" + std::string(opcode);
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

std::optional<std::string> fiveByteToneCommand(const std::string& toneCode, FiveByteModel model,
                                               bool twoBands) {
    if (model == FiveByteModel::y3) {
        if (!beginsWithHexDigits(toneCode, 4)) {
            return std::nullopt;
        }
        return toneCode.substr(0, 4) + "00000B";
    }
    if (!beginsWithHexDigits(toneCode, 2)) {
        return std::nullopt;
    }
    const std::string_view tail = model == FiveByteModel::y ? "000000FA" : twoBands ? "0000002B" : "0000000B";
    return toneCode.substr(0, 2) + std::string(tail);
}

std::string fiveByteToneOn(FiveByteModel model, bool twoBands) {
    if (model == FiveByteModel::y) {
        return "000000004A";
    }
    return model == FiveByteModel::y2 && twoBands ? "4A0000002A" : "4A0000000A";
}

std::string fiveByteToneOff(FiveByteModel model, bool twoBands) {
    if (model == FiveByteModel::y) {
        return "000000008A";
    }
    return model == FiveByteModel::y2 && twoBands ? "8A0000002A" : "8A0000000A";
}

void setupFiveByte(const RadioContext& context) {
    const auto model = fiveByteModelOf(context.station.radioType);
    if (!model) {
        return;
    }
    sendHex(context, fiveByte::opening);
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
        sendFrequency(context, rxTenHz, "01", *model);
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
        sendHex(context, fiveByte::endSplit);
        radioPause(context);
        sendHex(context, fiveByte::noShift);
        radioPause(context);
        sendHex(context, fiveByteToneOff(*model, false));
        radioPause(context);
        sendHex(context, fiveByte::closing);
        return;
    }
    radioPause(context);
    sendHex(context, fiveByte::oneBand);
    radioPause(context);
    sendHex(context, fiveByte::closing);
}

}  // namespace station
