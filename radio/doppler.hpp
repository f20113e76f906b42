#pragma once
// Frequencies in whole units of 10 Hz, as the radio commands and radio.dat carry them.
#include <cstdint>

namespace station {

// floor(100 * kHz + 0.5): halves round up. Saturates at the ends of the 32-bit range, where no
// protocol can carry the value anyway.
std::int32_t tenHzOf(double khz);
// The same without the 32-bit limit, for radio.dat.
std::int64_t tenHzOf64(double khz);

}  // namespace station
