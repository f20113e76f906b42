#pragma once
// Radio control: Doppler correction, the radio protocols by radio code, manual tuning.
#include "tracker/tracker_state.hpp"

#include <cstdint>
#include <string>

namespace station {

// Once a second while tracking: correct, show, translate and send.
void updateDoppler(TrackerState& s);
// |f - 1000 * converterLo[band of f]| in kHz; sets `converterInverts`.
double translateThroughConverter(TrackerState& s, double fKhz);

// The three moments the radio is commanded.
void setupRadio(TrackerState& s);
void sendFrequencyUpdate(TrackerState& s, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                         bool rxChanged);
void shutdownRadio(TrackerState& s);
void parkRadio(TrackerState& s);

// Manual tuning.
void enterTuning(TrackerState& s);
void tuningKey(TrackerState& s, const std::string& key);
void stepTuning(TrackerState& s, double incrementKhz);
void saveTuning(TrackerState& s);

}  // namespace station
