#pragma once
// Manual incremental tuning of the satellite's base frequencies, and their save in KELVORIN.FRC.
#include "config/frequency.hpp"
#include "console/files.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace station {

// Moves the base frequencies by the increment: "T" the uplink, "R" the downlink, "D" both the
// same way, "I" both in opposite ways (the uplink down when the downlink goes up).
void stepTuning(FrequencyRecord& frequencies, const std::string& tuningMode, double incrementKhz);

// Writes the record's two frequencies into the designation's entry of KELVORIN.FRC, replaced
// whole; a file the operator made read-only is left alone. The failure for the operator, or
// empty when the file was written.
std::string saveTuning(const Files& files, const std::string& designation,
                       const FrequencyRecord& frequencies);

// A frequency in kHz as the frequency file keeps it: rounded to 10 Hz, at most 16 significant
// digits, no trailing zeros, no trailing point, no exponent ("145800", "435250.55").
std::string tunedFrequencyText(double khz);

// The frequency file with the two values after the designation's name line (the first line
// that equals it in upper case) replaced; comment lines keep their places, every other line
// and every line end stays as it was. Nothing when the name line is missing.
std::optional<std::string> withTunedFrequencies(std::string_view content, const std::string& designation,
                                                double uplinkKhz, double downlinkKhz);

}  // namespace station
