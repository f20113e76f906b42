#include "orbit/pass.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>

namespace station {

namespace {

constexpr double geostationaryTolerance = 0.01f;  // revolutions per day around 1
constexpr float fineStepsPerStep = 50;
constexpr float daysPerGeostationaryPass = 365;
// The elevation of a sample the model has no state for: below any horizon.
constexpr double noElevation = -std::numeric_limits<double>::infinity();

// Six significant digits, with "." whatever the locale says.
std::string daysText(double days) {
    char text[32];
    const auto written = std::to_chars(std::begin(text), std::end(text), days, std::chars_format::general, 6);
    return std::string(text, written.ptr);
}

// One pass search: the clock fields it moves, the samples it takes and the bounds of its scans.
class PassSearch {
public:
    PassSearch(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
               ClockTime& time, SatelliteState& state, PassSearchDisplay& display)
        : constants_(constants), orbit_(orbit), site_(site), time_(time), state_(state), display_(display),
          outOfDate_([this] { display_.showMessage("Keps out of date!"); }) {}
    PassSearch(const PassSearch&) = delete;
    PassSearch& operator=(const PassSearch&) = delete;

    // Samples with `step` (sample first, then test the elevation just taken) while `keepGoing`
    // holds. `afterSample` gets the minute the sample was taken at and its elevation, which is
    // below any horizon when the model has no state there. False when the scan reached
    // `limit` (a day number), could no longer move the clock on before `keepGoing` failed, or
    // reached a clock that is no longer a finite day number (an infinite step or UTC offset:
    // the propagation keeps the last position there, which is no sample).
    template <typename KeepGoing, typename AfterSample>
    bool scan(float step, double limit, KeepGoing keepGoing, AfterSample afterSample) {
        while (true) {
            const float sampleMinute = time_.minute;
            display_.showDateTime();
            const Sgp4Error error = sampleOrbit(constants_, orbit_, site_, time_, state_, outOfDate_);
            if (!std::isfinite(state_.dayNumber)) {
                return false;
            }
            if (error != Sgp4Error::none && modelError_ == Sgp4Error::none) {
                modelError_ = error;
            }
            const double elevation = error == Sgp4Error::none ? state_.elevation : noElevation;
            time_.minute += step;
            afterSample(sampleMinute, elevation);
            if (!keepGoing(elevation)) {
                return true;
            }
            if (time_.minute == sampleMinute || !(state_.dayNumber < limit)) {
                return false;
            }
        }
    }

    template <typename KeepGoing>
    bool scan(float step, double limit, KeepGoing keepGoing) {
        return scan(step, limit, keepGoing, [](float, double) {});
    }

    double now() const { return dayNumberOf(time_); }
    Sgp4Error modelError() const { return modelError_; }

private:
    const OrbitConstants& constants_;
    SatelliteOrbit& orbit_;
    const ObserverSite& site_;
    ClockTime& time_;
    SatelliteState& state_;
    PassSearchDisplay& display_;
    std::function<void()> outOfDate_;
    Sgp4Error modelError_ = Sgp4Error::none;
};

}  // namespace

bool isGeostationary(const KeplerianElementSet& elements) {
    return std::fabs(1 - elements.meanMotion) <= geostationaryTolerance;
}

PassPrediction predictPass(const OrbitConstants& constants, const KeplerianElementSet& elements,
                           StationPosition station, const PassSearchSettings& settings, ClockTime& time,
                           SatelliteState& state, PassSearchDisplay& display) {
    SatelliteOrbit orbit = satelliteOrbit(OrbitModel::builtIn, elements);
    return predictPass(constants, orbit, ObserverSite{station, {}}, settings, time, state, display);
}

PassPrediction predictPass(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
                           const PassSearchSettings& settings, ClockTime& time, SatelliteState& state,
                           PassSearchDisplay& display) {
    PassPrediction pass;
    pass.year = time.year;
    if (!orbit.problem.empty()) {
        display.showMessage("Cannot predict a pass: " + orbit.problem);
        return pass;
    }
    const KeplerianElementSet& elements = orbit.elements;
    const bool scheduler = constants.scheduler();
    // The scheduler keeps its maximum elevation in single precision.
    auto storedElevation = [scheduler](double value) {
        return scheduler ? static_cast<double>(static_cast<float>(value)) : value;
    };
    const double horizon = settings.minimumElevation;
    const float step = settings.searchStep;
    const float fineStep = step / fineStepsPerStep;
    PassSearch search(constants, orbit, site, time, state, display);

    if (isGeostationary(elements)) {
        // It stays at one point of the sky: one "pass" from now, a year of days long.
        pass.found = true;
        pass.geostationary = true;
        pass.aos = search.now();
        pass.aosLocal = localDayNumberOf(time, settings.utcOffsetHours);
        pass.maximumElevation = storedElevation(horizon);
        time.day += daysPerGeostationaryPass;
        if (!scheduler) {
            pass.azimuthAtLos = static_cast<float>(state.azimuth);
        }
        pass.los = search.now();
        pass.losLocal = localDayNumberOf(time, settings.utcOffsetHours);
        return pass;
    }
    if (!(step > 0)) {
        display.showMessage("Cannot predict a pass: search step is 0 or less");
        return pass;
    }

    display.showStatus("Calculating AOS and LOS times");
    auto below = [horizon](double elevation) { return !(elevation > horizon); };
    auto up = [horizon](double elevation) { return elevation >= horizon; };

    if (!search.scan(step, search.now() + settings.boundDays, below)) {
        display.showMessage("No pass within " + daysText(settings.boundDays) + " days");
        pass.modelError = search.modelError();
        return pass;
    }
    time.minute -= 2 * step;
    if (!search.scan(fineStep, search.now() + settings.boundDays, below)) {
        display.showMessage("No pass within " + daysText(settings.boundDays) + " days");
        pass.modelError = search.modelError();
        return pass;
    }
    pass.found = true;
    // The azimuths of the samples at AOS and LOS: the tracker decides the flip with them, the
    // scheduler's pass list prints them.
    pass.azimuthAtAos = static_cast<float>(state.azimuth);
    pass.aos = search.now();
    pass.aosLocal = localDayNumberOf(time, settings.utcOffsetHours);
    const float aosMinute = time.minute;

    double maximum = storedElevation(horizon);
    float maximumMinute = time.minute;
    const bool set =
        search.scan(step, pass.aos + settings.boundDays, up, [&](float sampleMinute, double elevation) {
            if (elevation > maximum) {
                maximum = storedElevation(elevation);
                maximumMinute = sampleMinute;
            }
        });
    // One that does not set within the bound gets its LOS there, so it is still tracked.
    if (set) {
        // A pass cannot end before it begins: with a step longer than the pass, two steps back
        // from the first sample below lie before the AOS.
        time.minute = std::max(time.minute - 2 * step, aosMinute);
        search.scan(fineStep, search.now() + settings.boundDays, up);
    }
    pass.azimuthAtLos = static_cast<float>(state.azimuth);
    pass.los = search.now();
    pass.losLocal = localDayNumberOf(time, settings.utcOffsetHours);
    const float losMinute = time.minute;

    // The coarse maximum can lie up to a step from the peak: climb to it again in fine steps
    // from one step before the best coarse sample. Neither climb runs past the LOS.
    time.minute = maximumMinute - step;
    maximum = storedElevation(horizon);
    float azimuthAtMaximum = 0;
    auto notAboveMaximum = [&maximum](double elevation) { return !(elevation > maximum); };
    if (search.scan(fineStep, pass.los, notAboveMaximum)) {
        search.scan(
            fineStep, pass.los, [&maximum](double elevation) { return elevation >= maximum; },
            [&](float, double elevation) {
                if (elevation > maximum) {
                    maximum = storedElevation(elevation);
                    azimuthAtMaximum = static_cast<float>(state.azimuth);
                }
            });
    }
    pass.maximumElevation = maximum;
    if (scheduler) {
        time.minute = losMinute;  // the next search starts at the end of this pass
    } else {
        pass.azimuthAtMaximum = azimuthAtMaximum;
    }
    pass.modelError = search.modelError();
    return pass;
}

}  // namespace station
