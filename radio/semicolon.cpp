// Semicolon commands (radio code K): short text commands, each ended by ";".
//
//   MT;              first command of the setup
//   DC0; / DC1;      uplink side / downlink side in control
//   FN0;             after each side select in the setup
//   MD<n>;           mode of the side in control
//   FA<11 digits>;   frequency of the side in control, in Hz
//
// Between updates the downlink side is in control, so a downlink frequency needs no select.
#include "radio/protocols.hpp"
#include "radio/transport.hpp"

#include <array>
#include <cstdio>

namespace station {

namespace {

struct SemicolonMode {
    std::string_view prefix;
    std::string_view command;
};

constexpr std::array<SemicolonMode, 4> semicolonModes{{
    {"FM", "MD4;"},
    {"USB", "MD2;"},
    {"LSB", "MD1;"},
    {"CW", "MD3;"},
}};

constexpr std::int64_t semicolonHertzLimit = 100'000'000'000;  // eleven decimal digits

void sendModeCommand(const RadioContext& context, const std::string& mode) {
    const std::string command = semicolonModeCommand(mode);
    if (!command.empty()) {
        sendText(context, command);
    }
}

void sendUplinkFrequency(const RadioContext& context, std::int32_t txTenHz) {
    if (!frequencyInRange(context, txTenHz)) {
        return;
    }
    sendText(context, semicolonUplinkInControl);
    sendText(context, semicolonFrequencyCommand(txTenHz));
    sendText(context, semicolonDownlinkInControl);
}

}  // namespace

std::string semicolonModeCommand(const std::string& mode) {
    for (const SemicolonMode& line : semicolonModes) {
        if (modeIs(mode, line.prefix)) {
            return std::string(line.command);
        }
    }
    return {};
}

std::string semicolonFrequencyCommand(std::int32_t tenHz) {
    const std::int64_t hz = hertzOf(tenHz);
    if (hz < 0 || hz >= semicolonHertzLimit) {
        return {};
    }
    char text[16];
    std::snprintf(text, sizeof text, "FA%011lld;", static_cast<long long>(hz));
    return text;
}

void setupSemicolon(const RadioContext& context) {
    sendText(context, semicolonReset);
    radioPause(context);
    sendText(context, semicolonUplinkInControl);
    sendText(context, semicolonFunctionOff);
    radioPause(context);
    sendModeCommand(context, context.frequencies.uplinkMode);
    radioPause(context);
    sendText(context, semicolonDownlinkInControl);
    sendText(context, semicolonFunctionOff);
    radioPause(context);
    sendModeCommand(context, context.frequencies.downlinkMode);
    if (uplinkSetAtSetup(context) || context.radio.parking) {
        sendUplinkFrequency(context, context.radio.txTenHz);
    }
    if (context.radio.parking && frequencyInRange(context, context.radio.rxTenHz)) {
        sendText(context, semicolonDownlinkInControl);
        sendText(context, semicolonFrequencyCommand(context.radio.rxTenHz));
    }
}

void updateSemicolon(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                     bool rxChanged) {
    if (uplinkFollowsDoppler(context) && txChanged) {
        sendUplinkFrequency(context, txTenHz);
    }
    if (rxChanged && frequencyInRange(context, rxTenHz)) {
        sendText(context, semicolonFrequencyCommand(rxTenHz));
    }
}

}  // namespace station
