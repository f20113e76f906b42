// Addressed frames (radio codes I and I2): byte frames on a bus shared by several radios.
//
//   FE FE <radio address> E0 <command> <data...> FD
//   preamble                  controller address, then the end-of-frame byte FD
//
//   band select   <header> 07 D0|D1 FD
//   VFO select    <header> 07 00 FD
//   mode          <header> 06 <mode bytes> [filter byte] FD
//   frequency     <header> 00 <d1d0> <d3d2> <d5d4> <d7d6> <d9d8> FD   (Hz, packed decimal,
//                                                                      least significant first)
//
// Code I is one radio with two bands: uplink on band D0, downlink on band D1. Code I2 is one
// radio per link (the first address receives, the second transmits), each on its band D0.
#include "radio/protocols.hpp"
#include "radio/transport.hpp"

#include <array>
#include <cstdio>

namespace station {

namespace {

constexpr std::string_view preamble = "FEFE";
constexpr std::string_view controllerAddress = "E0";
constexpr std::string_view endOfFrame = "FD";
constexpr std::string_view selectCommand = "07";
constexpr std::string_view vfoSubCommand = "00";
constexpr std::string_view modeCommand = "06";
constexpr std::string_view frequencyCommand = "00";

struct FrameMode {
    std::string_view prefix;
    std::string_view bytes;
};

// Tested in this order: FMW before FM, CWN before CW.
constexpr std::array<FrameMode, 6> frameModes{{
    {"FMW", "06"},
    {"FM", "05"},
    {"USB", "01"},
    {"LSB", "00"},
    {"CWN", "0302"},
    {"CW", "0301"},
}};

constexpr std::int64_t frameHertzLimit = 10'000'000'000;  // ten decimal digits

// Where the frames of one link go: the radio's header and its band.
struct FrameLink {
    const std::string& header;
    std::string_view band;
};

bool twoRadios(const RadioContext& context) { return context.station.radioType == "I2"; }

FrameLink uplinkOf(const RadioContext& context) {
    return twoRadios(context) ? FrameLink{context.radio.uplinkFrameHeader, bandD0} : FrameLink{context.radio.frameHeader, bandD0};
}

FrameLink downlinkOf(const RadioContext& context) {
    return twoRadios(context) ? FrameLink{context.radio.frameHeader, bandD0} : FrameLink{context.radio.frameHeader, bandD1};
}

void sendAndPause(const RadioContext& context, const std::string& frame) {
    if (!frame.empty()) {
        sendHex(context, frame);
    }
    radioPause(context);
}

void selectLinkAndMode(const RadioContext& context, const FrameLink& link, const std::string& mode) {
    sendAndPause(context, bandSelectFrame(link.header, link.band));
    sendAndPause(context, vfoSelectFrame(link.header));
    sendAndPause(context, modeFrame(link.header, mode, context.radio.modeFrameEnd));
}

void sendFrequency(const RadioContext& context, const FrameLink& link, std::int32_t tenHz) {
    if (!frequencyInRange(context, tenHz)) {
        return;
    }
    sendAndPause(context, bandSelectFrame(link.header, link.band));
    sendAndPause(context, frequencyFrame(link.header, tenHz));
}

}  // namespace

std::string addressedFrameHeader(std::string_view address) {
    return std::string(preamble) + std::string(address) + std::string(controllerAddress);
}

std::string modeFrameEndFor(int filterOption) {
    if (filterOption >= 1 && filterOption <= 3) {
        return "0" + std::to_string(filterOption) + std::string(endOfFrame);
    }
    return std::string(endOfFrame);
}

std::string bandSelectFrame(std::string_view header, std::string_view band) {
    return std::string(header) + std::string(selectCommand) + std::string(band) + std::string(endOfFrame);
}

std::string vfoSelectFrame(std::string_view header) {
    return std::string(header) + std::string(selectCommand) + std::string(vfoSubCommand) + std::string(endOfFrame);
}

std::string modeFrame(std::string_view header, const std::string& mode, std::string_view modeFrameEnd) {
    for (const FrameMode& line : frameModes) {
        if (modeIs(mode, line.prefix)) {
            return std::string(header) + std::string(modeCommand) + std::string(line.bytes) +
                   std::string(modeFrameEnd);
        }
    }
    return {};
}

std::string frequencyFrame(std::string_view header, std::int32_t tenHz) {
    const std::int64_t hz = hertzOf(tenHz);
    if (hz < 0 || hz >= frameHertzLimit) {
        return {};
    }
    char digits[11];
    std::snprintf(digits, sizeof digits, "%010lld", static_cast<long long>(hz));
    std::string frame = std::string(header) + std::string(frequencyCommand);
    // digits[0] is d9 (1 GHz), digits[9] is d0 (1 Hz); the pairs go out from the 1 Hz end.
    for (int pair = 4; pair >= 0; --pair) {
        frame += digits[2 * pair];
        frame += digits[2 * pair + 1];
    }
    return frame + std::string(endOfFrame);
}

void setupAddressedFrame(const RadioContext& context) {
    context.radio.frameHeader = addressedFrameHeader(context.station.radioAddress);
    context.radio.uplinkFrameHeader = twoRadios(context) ? addressedFrameHeader(context.station.txRadioAddress) : std::string();
    context.radio.modeFrameEnd = modeFrameEndFor(context.station.filterOption);

    selectLinkAndMode(context, uplinkOf(context), context.frequencies.uplinkMode);
    selectLinkAndMode(context, downlinkOf(context), context.frequencies.downlinkMode);
    if (uplinkSetAtSetup(context) || context.radio.parking) {
        sendFrequency(context, uplinkOf(context), context.radio.txTenHz);
    }
    if (context.radio.parking) {
        sendFrequency(context, downlinkOf(context), context.radio.rxTenHz);
    }
}

void updateAddressedFrame(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                          bool rxChanged) {
    if (uplinkFollowsDoppler(context) && txChanged) {
        sendFrequency(context, uplinkOf(context), txTenHz);
    }
    if (rxChanged) {
        sendFrequency(context, downlinkOf(context), rxTenHz);
    }
}

}  // namespace station
