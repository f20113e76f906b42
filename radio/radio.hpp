#pragma once
// Radio control: Doppler correction, the radio protocols by radio code, the park and the tuned
// base frequencies. The tracker lends the records the radio works on and shows what it returns.
#include "radio/transport.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace station {

// What one Doppler correction leaves to show: the corrected frequencies that moved by the
// retune step ("########.#" kHz; empty when unchanged), or, without a frequency record, the
// shift in parts per million ("+##.#", both every time).
struct DopplerUpdate {
    bool ppm = false;
    std::string txText;
    std::string rxText;
    bool txChanged = false;
    bool rxChanged = false;
};

// Once a second while tracking: the corrected frequencies for the range rate (km/s, positive
// while the satellite approaches).
DopplerUpdate correctDoppler(const RadioContext& context, double rangeRateKmPerS);
// Then: translated through the converter and sent to the radio, or written to radio.dat (code D):
// then how that write went.
std::optional<WriteResult> sendDoppler(const RadioContext& context, const DopplerUpdate& update);
// |f - 1000 * converterLo[band of f]| in kHz; sets `converterInverts`.
double translateThroughConverter(const RadioContext& context, double fKhz);

// The three moments the radio is commanded.
void setupRadio(const RadioContext& context);
void sendFrequencyUpdate(const RadioContext& context, std::int32_t txTenHz, std::int32_t rxTenHz, bool txChanged,
                         bool rxChanged);
void shutdownRadio(const RadioContext& context);
// The radio's link came back during a pass: the setup sequence of the pass again, and the next
// update sends both frequencies as if they had changed.
void resumeRadio(const RadioContext& context);
// The PARK record of the frequency file, set up like a satellite's with both frequencies sent;
// `RadioState::parking` holds while it runs.
void parkRadio(const RadioContext& context);

}  // namespace station
