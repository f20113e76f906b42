#pragma once
// What every radio protocol shares: commands kept as hexadecimal text or plain text, written one
// byte at a time to the radio link, with fixed 200 ms pauses between them. Nothing is read back.
#include "config/frequency.hpp"
#include "config/station.hpp"
#include "console/clock.hpp"
#include "console/files.hpp"
#include "console/serial.hpp"
#include "radio/radio_state.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

// What the radio works with: the station's radio settings, the frequency record of the satellite,
// its own state, the link to the radio (null when there is none), the pause between commands and
// the station directory (radio.dat, KELVORIN.FRC). The handler guards the park's look-up of its
// record; the message line takes what the operator must know at once.
struct RadioContext {
    const Station& station;
    FrequencyRecord& frequencies;
    DopplerState& doppler;
    RadioState& radio;
    SerialPort* link;
    Sleeper& sleeper;
    const Files& files;
    // The program's report of a PARK record that could not be read, before the radio is set up.
    std::function<void(FrequencyFailure)> parkRecordFailed;
    std::function<void(std::string_view)> showMessage;
};

// Hex digit pairs to bytes: n = length / 2 rounded half to even, at most 20 bytes. Blanks are
// not allowed in the text: commands are kept without them (frame diagrams in comments space the
// bytes out only for reading).
std::vector<std::uint8_t> hexCommandBytes(std::string_view hex);

// Write to the radio link when one is open; nothing otherwise.
void sendBytes(const RadioContext& context, const std::vector<std::uint8_t>& bytes);
void sendHex(const RadioContext& context, std::string_view hex);
void sendText(const RadioContext& context, std::string_view text);
// A fixed wait of 200 ms that a key press does not shorten.
void radioPause(const RadioContext& context);

// True when the protocol can carry the frequency (seven to nine digits of 10 Hz units: 10 MHz to
// just under 10 GHz). Otherwise it must not be sent garbled: says so once on the message line
// (`RadioState::outOfRangeReported`) and returns false.
bool frequencyInRange(const RadioContext& context, std::int32_t tenHz);

// True when the mode text begins with the prefix.
bool modeIs(const std::string& mode, std::string_view prefix);

// The protocol families, dispatched by radio code from setupRadio, sendFrequencyUpdate and
// shutdownRadio (radio.cpp).
void setupFiveByte(const RadioContext& context);  // codes Y, Y2, Y3
void updateFiveByte(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                    bool rxChanged);
void shutdownFiveByte(const RadioContext& context);
void setupAddressedFrame(const RadioContext& context);  // codes I, I2
void updateAddressedFrame(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                          bool rxChanged);
void setupSemicolon(const RadioContext& context);  // code K
void updateSemicolon(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                     bool rxChanged);
void setupRfText(const RadioContext& context);  // code A
void updateRfText(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                  bool rxChanged);
void shutdownRfText(const RadioContext& context);
void setupDaemon(const RadioContext& context);  // code H
void updateDaemon(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                  bool rxChanged);

}  // namespace station
