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

void sendModeCommand(const RadioContext& s, const std::string& mode) {
    const std::string command = semicolonModeCommand(mode);
    if (!command.empty()) {
        sendText(s, command);
    }
}

void sendUplinkFrequency(const RadioContext& s, std::int32_t txTenHz) {
    if (!frequencyInRange(s, txTenHz)) {
        return;
    }
    sendText(s, semicolonUplinkInControl);
    sendText(s, semicolonFrequencyCommand(txTenHz));
    sendText(s, semicolonDownlinkInControl);
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

void setupSemicolon(const RadioContext& s) {
    sendText(s, semicolonReset);
    radioPause(s);
    sendText(s, semicolonUplinkInControl);
    sendText(s, semicolonFunctionOff);
    radioPause(s);
    sendModeCommand(s, s.frequencies.uplinkMode);
    radioPause(s);
    sendText(s, semicolonDownlinkInControl);
    sendText(s, semicolonFunctionOff);
    radioPause(s);
    sendModeCommand(s, s.frequencies.downlinkMode);
    if (uplinkSetAtSetup(s) || s.radio.parking) {
        sendUplinkFrequency(s, s.radio.txTenHz);
    }
    if (s.radio.parking && frequencyInRange(s, s.radio.rxTenHz)) {
        sendText(s, semicolonDownlinkInControl);
        sendText(s, semicolonFrequencyCommand(s.radio.rxTenHz));
    }
}

void updateSemicolon(const RadioContext& s, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                     bool rxChanged) {
    if (uplinkFollowsDoppler(s) && txChanged) {
        sendUplinkFrequency(s, txTenHz);
    }
    if (rxChanged && frequencyInRange(s, rxTenHz)) {
        sendText(s, semicolonFrequencyCommand(rxTenHz));
    }
}

}  // namespace station
