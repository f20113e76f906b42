#pragma once
// KELVORIN.FRC: per satellite designation, uplink and downlink in kHz, two modes and a tone code.
#include "console/files.hpp"
#include "console/result.hpp"

#include <cstdint>
#include <string>

namespace station {

struct FrequencyRecord {
    double uplinkKhz = 0;    // before Doppler correction
    double downlinkKhz = 0;  // before Doppler correction
    std::string uplinkMode;
    std::string downlinkMode;
    std::string toneCode;  // "0": no tone
    std::int16_t noFrequencyData = 0;  // 1 when the last lookup found no file or no record
};

// Why a lookup gave no record: the file could not be opened, or it could not be read or holds
// no record of the designation.
enum class FrequencyFailure { fileNotFound, noRecord };

// The record of the designation (upper case, suffix included).
Result<FrequencyRecord, FrequencyFailure> readFrequencyRecord(const Files& files, const std::string& designation);

}  // namespace station
