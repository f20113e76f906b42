#pragma once
// KELVORIN.FRC: per satellite designation, uplink and downlink in kHz, two modes and a tone code.
#include "console/error_phase.hpp"
#include "console/files.hpp"

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

// Looks the designation (upper case, suffix included) up under the frequency file's phases and
// fills the record; success or failure is seen in `noFrequencyData`.
void readFrequencyRecord(const Files& files, const std::string& designation, FrequencyRecord& record,
                         ErrorHandler& errors);

}  // namespace station
