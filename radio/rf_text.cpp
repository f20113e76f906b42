// RF text commands (radio code A): a receiver that takes the downlink only.
//
//   MD<n> CR          downlink mode
//   RF<Hz> CR         downlink frequency, decimal Hz without leading zeros
//   EX CR             end of remote control
//
// The uplink is never sent: the radio has no transmitter to tune.
#include "radio/protocols.hpp"
#include "radio/transport.hpp"

#include <array>

namespace station {

namespace {

constexpr std::string_view carriageReturn = "\r";

struct RfTextMode {
    std::string_view prefix;
    std::string_view command;
};

constexpr std::array<RfTextMode, 4> rfTextModes{{
    {"FM", "MD0"},
    {"USB", "MD3"},
    {"LSB", "MD2"},
    {"CW", "MD4"},
}};

}  // namespace

std::string rfTextModeCommand(const std::string& mode) {
    for (const RfTextMode& line : rfTextModes) {
        if (modeIs(mode, line.prefix)) {
            return std::string(line.command) + std::string(carriageReturn);
        }
    }
    return std::string(carriageReturn);
}

std::string rfTextFrequencyCommand(std::int32_t tenHz) {
    return "RF" + std::to_string(hertzOf(tenHz)) + std::string(carriageReturn);
}

void setupRfText(const RadioContext& context) { sendText(context, rfTextModeCommand(context.frequencies.downlinkMode)); }

void updateRfText(const RadioContext& context, std::int32_t, std::int32_t rxTenHz, bool, bool rxChanged) {
    if (rxChanged) {
        sendText(context, rfTextFrequencyCommand(rxTenHz));
    }
}

void shutdownRfText(const RadioContext& context) { sendText(context, rfTextExit); }

}  // namespace station
