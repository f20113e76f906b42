#pragma once
#include "console/network.hpp"

#include <cstdint>
#include <string>

namespace station {

// Doppler correction state, kept from pass to pass and satellite to satellite.
struct DopplerState {
    double previousDopplerRatio = 0;  // range rate / c of the previous update
    double txKhz = 0;                 // corrected uplink (after the radio step: converter-translated)
    double rxKhz = 0;
    double lastShownTxKhz = 0;
    double lastShownRxKhz = 0;
    std::int16_t converterInverts = 0;  // 1 when the converter's oscillator is above the signal
};

// Five-byte radios: whether uplink and downlink fall in one band class, decided at setup.
enum class LinkBands { separate, shared };

// What the radio setup leaves for the updates.
struct RadioState {
    LinkBands linkBands = LinkBands::separate;  // five-byte radios
    std::int32_t txTenHz = 0;       // frequencies in units of 10 Hz
    std::int32_t rxTenHz = 0;
    std::string frameHeader;        // addressed frames: hex text "FEFEaaE0"
    std::string uplinkFrameHeader;
    std::string modeFrameEnd;
    bool outOfRangeReported = false;  // a frequency the protocol cannot carry was reported once
    bool parking = false;  // the park record is being looked up and sent (a missing one is no fault)
    DaemonRefusals daemonRefusals;  // code H: commands the radio daemon refused, told once
};

// Manual tuning: empty when not tuning, else what the arrows change ("T", "R", "D", "I").
struct TuningState {
    std::string tuningMode;
};

}  // namespace station
