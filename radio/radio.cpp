#include "radio/radio.hpp"

#include <array>
#include <string_view>

#include "radio/doppler.hpp"
#include "radio/transport.hpp"

namespace station {

namespace {

using SetupOperation = void (*)(const RadioContext&);
using UpdateOperation = void (*)(const RadioContext&, std::int32_t, std::int32_t, bool, bool);
using ShutdownOperation = void (*)(const RadioContext&);

// What each radio code does at the three moments; code D writes radio.dat from the Doppler
// update itself, and a code not listed here commands nothing.
struct RadioProtocol {
    std::string_view code;
    SetupOperation setup;
    UpdateOperation update;
    ShutdownOperation shutdown;
};

constexpr std::array<RadioProtocol, 8> radioProtocols = {{
    {"Y", setupFiveByte, updateFiveByte, shutdownFiveByte},
    {"Y2", setupFiveByte, updateFiveByte, shutdownFiveByte},
    {"Y3", setupFiveByte, updateFiveByte, shutdownFiveByte},
    {"I", setupAddressedFrame, updateAddressedFrame, parkRadio},
    {"I2", setupAddressedFrame, updateAddressedFrame, parkRadio},
    {"K", setupSemicolon, updateSemicolon, parkRadio},
    {"A", setupRfText, updateRfText, shutdownRfText},
    {daemonRadioCode, setupDaemon, updateDaemon, parkRadio},
}};

const RadioProtocol* protocolOf(const std::string& code) {
    for (const RadioProtocol& protocol : radioProtocols) {
        if (protocol.code == code) {
            return &protocol;
        }
    }
    return nullptr;
}

// An inverting converter turns the sideband over, so the radio must work the other one.
void exchangeSideband(std::string& mode) {
    if (modeIs(mode, "USB")) {
        mode.replace(0, 3, "LSB");
    } else if (modeIs(mode, "LSB")) {
        mode.replace(0, 3, "USB");
    }
}

bool radioCommanded(const RadioContext& context) {
    return context.frequencies.noFrequencyData == 0 && radioControlled(context.station);
}

}  // namespace

void setupRadio(const RadioContext& context) {
    if (!radioCommanded(context) || context.station.radioType == "D") {
        return;
    }
    // Each pass may report a frequency the radio cannot carry once more.
    context.radio.outOfRangeReported = false;
    const double txKhz = translateThroughConverter(context, context.frequencies.uplinkKhz);
    if (context.doppler.converterInverts == 1) {
        exchangeSideband(context.frequencies.uplinkMode);
    }
    const double rxKhz = translateThroughConverter(context, context.frequencies.downlinkKhz);
    if (context.doppler.converterInverts == 1) {
        exchangeSideband(context.frequencies.downlinkMode);
    }
    context.radio.txTenHz = tenHzOf(txKhz);
    context.radio.rxTenHz = tenHzOf(rxKhz);
    if (const RadioProtocol* protocol = protocolOf(context.station.radioType)) {
        protocol->setup(context);
    }
}

void sendFrequencyUpdate(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                         bool rxChanged) {
    if (!radioControlled(context.station)) {
        return;
    }
    if (const RadioProtocol* protocol = protocolOf(context.station.radioType)) {
        protocol->update(context, txTenHz, rxTenHz, txChanged, rxChanged);
    }
}

void resumeRadio(const RadioContext& context) {
    if (!radioCommanded(context) || context.station.radioType == "D") {
        return;
    }
    // The setup of the pass already translated the frequencies and turned the sidebands over:
    // only its commands are sent again.
    if (const RadioProtocol* protocol = protocolOf(context.station.radioType)) {
        protocol->setup(context);
    }
    // Nothing shown since reached the radio: the next update finds both frequencies moved.
    context.doppler.lastShownTxKhz = 0;
    context.doppler.lastShownRxKhz = 0;
}

void shutdownRadio(const RadioContext& context) {
    if (!radioCommanded(context)) {
        return;
    }
    if (const RadioProtocol* protocol = protocolOf(context.station.radioType)) {
        protocol->shutdown(context);
    }
}

}  // namespace station
