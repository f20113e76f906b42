#pragma once
// The text side of saving tuned frequencies: pure functions over the frequency file's content.
#include <optional>
#include <string>
#include <string_view>

namespace station {

// A frequency in kHz as the frequency file keeps it: rounded to 10 Hz, at most 16 significant
// digits, no trailing zeros, no trailing point, no exponent ("145800", "435250.55").
std::string tunedFrequencyText(double khz);

// The frequency file with the two values after the designation's name line (the first line
// that equals it in upper case) replaced; comment lines keep their places, every other line
// and every line end stays as it was. Nothing when the name line is missing.
std::optional<std::string> withTunedFrequencies(std::string_view content, const std::string& designation,
                                                double uplinkKhz, double downlinkKhz);

}  // namespace station
