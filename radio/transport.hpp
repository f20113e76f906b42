#pragma once
// What every radio protocol shares: commands kept as hexadecimal text or plain text, written one
// byte at a time to the radio link, with fixed 200 ms pauses between them. Nothing is read back.
#include "tracker/tracker_state.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace station {

// Hex digit pairs to bytes: n = length / 2 rounded half to even, at most 20 bytes. Blanks are
// not allowed in the text: commands are kept without them (frame diagrams in comments space the
// bytes out only for reading).
std::vector<std::uint8_t> hexCommandBytes(std::string_view hex);

// Write to the radio link when one is open; nothing otherwise.
void sendBytes(TrackerState& s, const std::vector<std::uint8_t>& bytes);
void sendHex(TrackerState& s, std::string_view hex);
void sendText(TrackerState& s, std::string_view text);
// A fixed wait of 200 ms that a key press does not shorten.
void radioPause(TrackerState& s);

// True when the protocol can carry the frequency (seven to nine digits of 10 Hz units: 10 MHz to
// just under 10 GHz). Otherwise it must not be sent garbled: says so once on the message line
// (`RadioState::outOfRangeReported`) and returns false.
bool frequencyInRange(TrackerState& s, std::int32_t tenHz);

// True when the mode text begins with the prefix.
bool modeIs(const std::string& mode, std::string_view prefix);

// The protocol families, dispatched by radio code from setupRadio, sendFrequencyUpdate and
// shutdownRadio (radio.cpp).
void setupFiveByte(TrackerState& s);  // codes Y, Y2, Y3
void updateFiveByte(TrackerState& s, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged, bool rxChanged);
void shutdownFiveByte(TrackerState& s);
void setupAddressedFrame(TrackerState& s);  // codes I, I2
void updateAddressedFrame(TrackerState& s, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                          bool rxChanged);
void setupSemicolon(TrackerState& s);  // code K
void updateSemicolon(TrackerState& s, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged, bool rxChanged);
void setupRfText(TrackerState& s);  // code A
void updateRfText(TrackerState& s, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged, bool rxChanged);
void shutdownRfText(TrackerState& s);

}  // namespace station
