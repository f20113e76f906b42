#include "radio/transport.hpp"

#include <algorithm>

namespace station {

namespace {
constexpr std::size_t maximumCommandBytes = 20;
constexpr int radioPauseMs = 200;
// Seven to nine digits of 10 Hz units.
constexpr std::int32_t lowestSendableTenHz = 1'000'000;
constexpr std::int32_t sendableLimitTenHz = 1'000'000'000;

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The value of the leading hex digits of a pair; a pair that does not start with one is 0.
std::uint8_t pairValue(std::string_view pair) {
    int value = 0;
    for (char c : pair) {
        const int digit = hexDigitValue(c);
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
    }
    return static_cast<std::uint8_t>(value);
}
}  // namespace

std::vector<std::uint8_t> hexCommandBytes(std::string_view hex) {
    // An odd length gives half a byte more: it counts as a whole byte only when that rounds
    // the count to an even number, and the lone last digit is then a byte of its own.
    std::size_t count = hex.size() / 2;
    if (hex.size() % 2 == 1 && count % 2 == 1) {
        ++count;
    }
    count = std::min(count, maximumCommandBytes);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes.push_back(pairValue(hex.substr(2 * i, 2)));
    }
    return bytes;
}

void sendBytes(const RadioContext& context, const std::vector<std::uint8_t>& bytes) {
    if (context.link != nullptr) {
        context.link->write(std::span<const std::uint8_t>(bytes));
    }
}

void sendHex(const RadioContext& context, std::string_view hex) {
    sendBytes(context, hexCommandBytes(hex));
}

void sendText(const RadioContext& context, std::string_view text) {
    sendBytes(context, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void radioPause(const RadioContext& context) {
    context.sleeper.sleepMs(radioPauseMs, false);
}

bool frequencyInRange(const RadioContext& context, std::int32_t tenHz) {
    if (tenHz >= lowestSendableTenHz && tenHz < sendableLimitTenHz) {
        return true;
    }
    if (!context.radio.outOfRangeReported) {
        context.radio.outOfRangeReported = true;
        context.showMessage("Frequency out of range for the radio: not sent.");
    }
    return false;
}

bool modeIs(const std::string& mode, std::string_view prefix) {
    return mode.starts_with(prefix);
}

}  // namespace station
