// Rotator calibration: a position typed by hand lines up end stops, zero points and scale
// without a satellite. The latches of interface 0 take raw counts; the other interfaces degrees.
#include "rotator/rotator.hpp"

#include <array>

namespace station {

namespace {

// The interface-0 latches sit behind a parallel-port style interface at base address
// `rotatorPort`: the data port at the base, the control port two above it.
enum class Latch { data, control };
enum class LatchValue { azimuth, elevation, fixed };
struct LatchStep {
    Latch port;
    LatchValue source;
    std::uint8_t value;  // for fixed values
    int pauseMs;         // after the write
};
constexpr std::array<LatchStep, 8> latchSequence{{
    {Latch::data, LatchValue::azimuth, 0, 0},
    {Latch::control, LatchValue::fixed, 2, 200},
    {Latch::control, LatchValue::fixed, 3, 200},
    {Latch::control, LatchValue::fixed, 2, 200},
    {Latch::data, LatchValue::elevation, 0, 0},
    {Latch::control, LatchValue::fixed, 0, 200},
    {Latch::control, LatchValue::fixed, 1, 200},
    {Latch::control, LatchValue::fixed, 0, 0},
}};

}  // namespace

bool setLatches(PortOutput& ports, Sleeper& sleeper, int baseAddress, RawPosition raw) {
    const auto azimuth = static_cast<std::uint8_t>(raw.azimuth);
    const auto elevation = static_cast<std::uint8_t>(raw.elevation);
    for (const LatchStep& step : latchSequence) {
        const int address = step.port == Latch::data ? baseAddress : baseAddress + 2;
        const std::uint8_t value = step.source == LatchValue::azimuth     ? azimuth
                                   : step.source == LatchValue::elevation ? elevation
                                                                          : step.value;
        if (!ports.output(address, value)) {
            return false;
        }
        if (step.pauseMs > 0) {
            sleeper.sleepMs(step.pauseMs);
        }
    }
    return true;
}

CalibrationDegrees rawCountDegrees(const Station& station, RawPosition raw) {
    double a = (raw.azimuth + 0.5) / 256 * 360;
    if (station.rotator450 == 1) {
        a = 450 * a / 360;
    }
    if (station.azimuthStopNorth == 0) {
        a = a - 180;
    }
    if (a < 0) {
        a = a + 360;
    }
    return {a, (raw.elevation + 0.5) / 256 * 180};
}

}  // namespace station
