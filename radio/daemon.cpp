// The radio control daemon (radio code H): text commands over TCP, one a line, each answered by
// "RPRT 0" when done or "RPRT -n" when refused.
//
//   S 1 VFOB       split operation on: receive on the main VFO, transmit on the second
//   M <mode> 0     mode of the main VFO (the downlink), the radio's own passband
//   X <mode> 0     mode of the split VFO (the uplink)
//   F <Hz>         main VFO frequency: the downlink
//   I <Hz>         split VFO frequency: the uplink
#include "radio/protocols.hpp"
#include "radio/transport.hpp"

#include <array>
#include <limits>

namespace station {

namespace {

constexpr std::string_view daemonName = "Radio daemon";

struct DaemonMode {
    std::string_view prefix;
    std::string_view name;
};

// The daemon knows no narrow or wide variants of these modes by the frequency file's names; the
// radio's own passband for the mode stands in for them.
constexpr std::array<DaemonMode, 4> daemonModes{{
    {"FM", "FM"},
    {"USB", "USB"},
    {"LSB", "LSB"},
    {"CW", "CW"},
}};

void command(const RadioContext& context, const std::string& text) {
    if (text.empty()) {
        return;
    }
    if (const auto refused = sendDaemonCommand(context.link, context.radio.daemonRefusals, daemonName, text)) {
        context.showMessage(*refused);
    }
}

// Any positive frequency goes to the daemon, which knows what its radio can take; the largest
// 10 Hz count stands for a frequency that did not fit it.
bool sendable(const RadioContext& context, std::int32_t tenHz) {
    if (tenHz > 0 && tenHz < std::numeric_limits<std::int32_t>::max()) {
        return true;
    }
    if (!context.radio.outOfRangeReported) {
        context.radio.outOfRangeReported = true;
        context.showMessage("Frequency out of range for the radio: not sent.");
    }
    return false;
}

void sendFrequency(const RadioContext& context, char vfo, std::int32_t tenHz) {
    if (sendable(context, tenHz)) {
        command(context, daemonFrequencyCommand(vfo, tenHz));
    }
}

}  // namespace

std::string_view daemonModeName(const std::string& mode) {
    for (const DaemonMode& line : daemonModes) {
        if (modeIs(mode, line.prefix)) {
            return line.name;
        }
    }
    return {};
}

std::string daemonModeCommand(char command, const std::string& mode) {
    const std::string_view name = daemonModeName(mode);
    if (name.empty()) {
        return {};
    }
    return std::string(1, command) + " " + std::string(name) + " 0";
}

std::string daemonFrequencyCommand(char command, std::int32_t tenHz) {
    return std::string(1, command) + " " + std::to_string(hertzOf(tenHz));
}

void setupDaemon(const RadioContext& context) {
    command(context, std::string(daemonSplitOn));
    command(context, daemonModeCommand('M', context.frequencies.downlinkMode));
    command(context, daemonModeCommand('X', context.frequencies.uplinkMode));
    if (uplinkSetAtSetup(context) || context.radio.parking) {
        sendFrequency(context, 'I', context.radio.txTenHz);
    }
    if (context.radio.parking) {
        sendFrequency(context, 'F', context.radio.rxTenHz);
    }
}

void updateDaemon(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                  bool rxChanged) {
    if (rxChanged) {
        sendFrequency(context, 'F', rxTenHz);
    }
    if (uplinkFollowsDoppler(context) && txChanged) {
        sendFrequency(context, 'I', txTenHz);
    }
}

}  // namespace station
