#include "radio/doppler.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "radio/radio.hpp"
#include "text/picture.hpp"

namespace station {

namespace {
constexpr double speedOfLightKmPerS = 299792.0;
constexpr double extrapolationFactor = 2.0;
constexpr double partsPerMillion = 1000000.0;
constexpr double hzPerKhz = 1000.0;
constexpr double khzPerMhz = 1000.0;
constexpr double tenHzPerKhz = 100.0;
// A change of exactly the retune step must count as one even when the kHz values carry
// binary representation error (415489.35 - 415489.34 is a hair under 0.01).
constexpr double retuneToleranceHz = 1e-4;

// Upper ends (kHz, exclusive) of converter bands 1 to 7; band 8 is everything above.
constexpr std::array<double, 7> converterBandLimitsKhz = {100000,  200000,  600000,  1600000,
                                                          4000000, 8000000, 18000000};

int converterBand(double fKhz) {
    int band = 1;
    for (double limit : converterBandLimitsKhz) {
        if (fKhz < limit) {
            return band;
        }
        ++band;
    }
    return band;
}

// Radio.dat line for a frequency: the Hz as a blank (or the minus sign), the digits, a blank,
// CR LF. 64 bits, so values above 2147 MHz are written as they are.
std::string radioDatValue(double khz) {
    constexpr std::int64_t limitTenHz = std::numeric_limits<std::int64_t>::max() / 10;
    return formatInteger(std::clamp(tenHzOf64(khz), -limitTenHz, limitTenHz) * 10) + " \r\n";
}

WriteResult writeRadioDat(const RadioContext& context) {
    const std::string content = radioDatValue(context.doppler.txKhz) + radioDatValue(context.doppler.rxKhz) +
                                context.frequencies.uplinkMode + "\r\n" + context.frequencies.downlinkMode + "\r\n";
    return context.files.replace("radio.dat", content);
}

// The uplink is shown lowered by the shift, the downlink raised, to a tenth of a part per million.
DopplerUpdate ppmUpdate(float ppm) {
    const float shown = std::floor(10.0f * ppm) / 10.0f;
    return {true, formatPicture("+##.#", -shown), formatPicture("+##.#", shown), false, false};
}

bool movedByRetuneStep(double khz, double lastShownKhz, float retuneStepHz) {
    return std::fabs(khz - lastShownKhz) * hzPerKhz >= retuneStepHz - retuneToleranceHz;
}
}  // namespace

namespace {
// Out-of-range values take the nearest end instead of being undefined; not a number gives 0.
template <typename Int>
Int roundedTenHz(double khz) {
    const double tenHz = std::floor(tenHzPerKhz * khz + 0.5);
    if (std::isnan(tenHz)) {
        return 0;
    }
    if (!(tenHz > static_cast<double>(std::numeric_limits<Int>::min()))) {
        return std::numeric_limits<Int>::min();
    }
    if (tenHz >= static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(tenHz);
}
}  // namespace

std::int32_t tenHzOf(double khz) {
    return roundedTenHz<std::int32_t>(khz);
}
std::int64_t tenHzOf64(double khz) {
    return roundedTenHz<std::int64_t>(khz);
}

double translateThroughConverter(const RadioContext& context, double fKhz) {
    const double oscillatorKhz = khzPerMhz * context.station.converterLo[converterBand(fKhz)];
    context.doppler.converterInverts = fKhz < oscillatorKhz ? 1 : 0;
    return std::fabs(fKhz - oscillatorKhz);
}

DopplerUpdate correctDoppler(const RadioContext& context, double rangeRateKmPerS) {
    DopplerState& d = context.doppler;
    const FrequencyRecord& f = context.frequencies;

    const double ratio = rangeRateKmPerS / speedOfLightKmPerS;
    const double predicted = extrapolationFactor * ratio - d.previousDopplerRatio;
    d.previousDopplerRatio = ratio;
    const float ppm = static_cast<float>(partsPerMillion * predicted);

    if (f.noFrequencyData == 1) {
        return ppmUpdate(ppm);
    }

    // The satellite approaches while the range rate is positive: it hears the uplink higher
    // and sends the downlink higher, so the uplink is lowered and the downlink raised.
    d.txKhz = context.station.uplinkCorrection == 1 ? f.uplinkKhz - predicted * f.uplinkKhz : f.uplinkKhz;
    d.rxKhz = f.downlinkKhz + predicted * f.downlinkKhz;

    DopplerUpdate update;
    update.rxChanged = movedByRetuneStep(d.rxKhz, d.lastShownRxKhz, context.station.dopplerThresholdHz);
    if (update.rxChanged) {
        d.lastShownRxKhz = d.rxKhz;
    }
    update.txChanged = movedByRetuneStep(d.txKhz, d.lastShownTxKhz, context.station.dopplerThresholdHz);
    if (update.txChanged) {
        d.lastShownTxKhz = d.txKhz;
    }
    if (update.txChanged) {
        update.txText = formatPicture("########.#", d.txKhz);
    }
    if (update.rxChanged) {
        update.rxText = formatPicture("########.#", d.rxKhz);
    }
    return update;
}

std::optional<WriteResult> sendDoppler(const RadioContext& context, const DopplerUpdate& update) {
    if (update.ppm) {
        return std::nullopt;
    }
    DopplerState& d = context.doppler;
    const bool fileOutput = context.station.radioType == "D";
    if (!radioControlled(context.station) && !fileOutput) {
        return std::nullopt;
    }
    d.txKhz = translateThroughConverter(context, d.txKhz);
    d.rxKhz = translateThroughConverter(context, d.rxKhz);
    if (fileOutput) {
        return writeRadioDat(context);
    }
    sendFrequencyUpdate(context, tenHzOf(d.txKhz), tenHzOf(d.rxKhz), update.txChanged, update.rxChanged);
    return std::nullopt;
}

}  // namespace station
