#include "orbit/pass.hpp"

#include "orbit/sky_bound.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>

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

// Which side of the horizon a scan may take as proven for the samples it leaves out.
enum class Proven { nothing, below, above };

// One pass search: the clock fields it moves, the samples it takes and the bounds of its scans.
class PassSearch {
public:
    PassSearch(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
               const ClockTime& start, SatelliteState& state, PassSearchDisplay& display, const SkyBound& bound)
        : constants_(constants), orbit_(orbit), site_(site), time_(start), state_(state), display_(display),
          bound_(bound), outOfDate_([this] { display_.showMessage("Keps out of date!"); }) {}
    PassSearch(const PassSearch&) = delete;
    PassSearch& operator=(const PassSearch&) = delete;

    // Samples with `step` (sample first, then test the elevation just taken) while `keepGoing`
    // holds. `afterSample` gets the minute the sample was taken at and its elevation, which is
    // below any horizon when the model has no state there. False when the scan reached
    // `limit` (a day number), could no longer move the clock on before `keepGoing` failed, or
    // reached a clock that is no longer a finite day number (an infinite step or UTC offset:
    // the propagation keeps the last position there, which is no sample). A sample on the
    // `proven` side of the horizon by the sky bound is not taken, only counted as one (the
    // clock moved on, the date line and the out-of-date check as for a sample) when `skip`:
    // `keepGoing` must hold on that side, and `afterSample` is not called. Either way the
    // samples taken prove what they can for later scans.
    template <typename KeepGoing, typename AfterSample>
    bool scan(float step, double limit, Proven proven, bool skip, KeepGoing keepGoing, AfterSample afterSample) {
        while (true) {
            const float sampleMinute = time_.minute;
            previousMinute_ = lastMinute_;
            lastMinute_ = sampleMinute;
            display_.showDateTime();
            const double day = dayNumberOf(time_);
            const bool skipped = skip && provenAt(proven, day);
            if (skipped) {
                state_.dayNumber = day;
                if (elementYearOutOfDate(orbit_.elements, time_.year)) {
                    outOfDate_();
                }
                time_.minute += step;
            } else {
                const Sgp4Error error = sampleSky(constants_, orbit_, site_, time_, state_, outOfDate_, earthFixedKm_);
                if (error == Sgp4Error::none && orbit_.model == OrbitModel::sgp4) {
                    partialAt_ = time_;
                }
                if (!std::isfinite(state_.dayNumber)) {
                    return false;
                }
                if (error != Sgp4Error::none && modelError_ == Sgp4Error::none) {
                    modelError_ = error;
                }
                const double elevation = error == Sgp4Error::none ? state_.elevation : noElevation;
                if (proven != Proven::nothing && error == Sgp4Error::none) {
                    prove(proven);
                }
                time_.minute += step;
                afterSample(sampleMinute, elevation);
                if (!keepGoing(elevation)) {
                    return true;
                }
            }
            if (time_.minute == sampleMinute || !(state_.dayNumber < limit)) {
                if (skipped) {
                    retakeLastSamples();
                }
                return false;
            }
        }
    }

    template <typename KeepGoing>
    bool scan(float step, double limit, Proven proven, KeepGoing keepGoing) {
        return scan(step, limit, proven, proven != Proven::nothing, keepGoing, [](float, double) {});
    }

    // The samples look only at the sky: `state` gets the whole of the last one with a position,
    // keeping the day number the search reached.
    void completeState() {
        if (partialAt_) {
            const double day = state_.dayNumber;
            sampleOrbit(constants_, orbit_, site_, *partialAt_, state_);
            state_.dayNumber = day;
            partialAt_.reset();
        }
    }

    ClockTime& time() { return time_; }
    double now() const { return dayNumberOf(time_); }
    Sgp4Error modelError() const { return modelError_; }

private:
    // A scan that gives up on a sample it left out leaves the state as taking it would have:
    // the range rate comes from the sample before.
    void retakeLastSamples() {
        ClockTime at = time_;
        for (const float minute : {previousMinute_, lastMinute_}) {
            at.minute = minute;
            if (sampleOrbit(constants_, orbit_, site_, at, state_) == Sgp4Error::none) {
                partialAt_.reset();
            }
        }
    }

    // From the sample just taken: up to when the satellite stays on the `proven` side.
    void prove(Proven proven) {
        const double day = state_.dayNumber;
        if (!bound_.usable || !(day >= bound_.fromDay && day <= bound_.untilDay)) {
            return;
        }
        const double angle = zenithAngle(orbit_, site_, bound_, state_, earthFixedKm_);
        const double room = proven == Proven::below ? angle - bound_.belowFrom : bound_.aboveWithin - angle;
        if (room > 0) {
            proofs_[nextProof_] = {proven, day, std::min(day + room / bound_.turnPerDay, bound_.untilDay)};
            nextProof_ = (nextProof_ + 1) % proofs_.size();
        }
    }

    bool provenAt(Proven proven, double day) const {
        return std::any_of(proofs_.begin(), proofs_.end(), [&](const Proof& proof) {
            return proof.side == proven && day >= proof.from && day <= proof.until;
        });
    }

    const OrbitConstants& constants_;
    SatelliteOrbit& orbit_;
    const ObserverSite& site_;
    ClockTime time_;
    SatelliteState& state_;
    PassSearchDisplay& display_;
    const SkyBound& bound_;
    std::function<void()> outOfDate_;
    Vector3 earthFixedKm_;                  // of the last SGP4 sample
    std::optional<ClockTime> partialAt_;  // the last sample with a position, when not yet whole
    Sgp4Error modelError_ = Sgp4Error::none;
    float lastMinute_ = 0;      // of the last sample counted, taken or not
    float previousMinute_ = 0;  // of the one before
    // The last proofs: a fine scan goes back over instants a coarse one has proved.
    struct Proof {
        Proven side = Proven::nothing;
        double from = 0;  // day numbers
        double until = 0;
    };
    std::array<Proof, 4> proofs_{};
    std::size_t nextProof_ = 0;
};

}  // namespace

bool isGeostationary(const KeplerianElementSet& elements) {
    return std::fabs(1 - elements.meanMotion) <= geostationaryTolerance;
}

PassPrediction predictPass(const OrbitConstants& constants, const KeplerianElementSet& elements,
                           StationPosition station, const PassSearchSettings& settings, const ClockTime& start,
                           SatelliteState& state, PassSearchDisplay& display) {
    SatelliteOrbit orbit = satelliteOrbit(OrbitModel::builtIn, elements);
    return predictPass(constants, orbit, ObserverSite{station, {}}, settings, start, state, display);
}

PassPrediction predictPass(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
                           const PassSearchSettings& settings, const ClockTime& start, SatelliteState& state,
                           PassSearchDisplay& display) {
    PassPrediction pass;
    pass.year = start.year;
    pass.nextStart = start;
    if (!orbit.problem.empty()) {
        display.showMessage("Cannot predict a pass: " + orbit.problem);
        return pass;
    }
    const KeplerianElementSet& elements = orbit.elements;
    const bool single = settings.maximumPrecision == MaximumPrecision::single;
    auto storedElevation = [single](double value) {
        return single ? static_cast<double>(static_cast<float>(value)) : value;
    };
    const double horizon = settings.minimumElevation;
    const float step = settings.searchStep;
    const float fineStep = step / fineStepsPerStep;
    // Every sample lies within two search bounds of the start: the AOS within one, the LOS
    // within one more.
    const double startDay = dayNumberOf(start);
    const SkyBound bound = settings.skipProvenSamples
                               ? skyBound(constants, orbit, site, horizon, start.year, startDay,
                                          startDay + 2 * settings.boundDays + 1)
                               : SkyBound{};
    PassSearch search(constants, orbit, site, start, state, display, bound);
    ClockTime& time = search.time();
    auto finished = [&]() -> PassPrediction& {
        search.completeState();
        pass.modelError = search.modelError();
        pass.nextStart = time;
        return pass;
    };

    if (isGeostationary(elements)) {
        // It stays at one point of the sky: one "pass" from now, a year of days long.
        pass.found = true;
        pass.geostationary = true;
        pass.aos = search.now();
        pass.aosLocal = localDayNumberOf(time, settings.utcOffsetHours);
        pass.maximumElevation = storedElevation(horizon);
        time.day += daysPerGeostationaryPass;
        pass.azimuthAtLos = static_cast<float>(state.azimuth);
        pass.los = search.now();
        pass.losLocal = localDayNumberOf(time, settings.utcOffsetHours);
        return finished();
    }
    if (!(step > 0)) {
        display.showMessage("Cannot predict a pass: search step is 0 or less");
        return pass;
    }

    display.showStatus("Calculating AOS and LOS times");
    auto below = [horizon](double elevation) { return !(elevation > horizon); };
    auto up = [horizon](double elevation) { return elevation >= horizon; };

    if (!search.scan(step, search.now() + settings.boundDays, Proven::below, below)) {
        display.showMessage("No pass within " + daysText(settings.boundDays) + " days");
        return finished();
    }
    time.minute -= 2 * step;
    if (!search.scan(fineStep, search.now() + settings.boundDays, Proven::below, below)) {
        display.showMessage("No pass within " + daysText(settings.boundDays) + " days");
        return finished();
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
    const bool set = search.scan(step, pass.aos + settings.boundDays, Proven::above, false, up,
                                 [&](float sampleMinute, double elevation) {
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
        search.scan(fineStep, search.now() + settings.boundDays, Proven::above, up);
    }
    pass.azimuthAtLos = static_cast<float>(state.azimuth);
    pass.los = search.now();
    pass.losLocal = localDayNumberOf(time, settings.utcOffsetHours);
    const ClockTime atLos = time;

    // The coarse maximum can lie up to a step from the peak: climb to it again in fine steps
    // from one step before the best coarse sample. Neither climb runs past the LOS.
    time.minute = maximumMinute - step;
    maximum = storedElevation(horizon);
    float azimuthAtMaximum = 0;
    auto notAboveMaximum = [&maximum](double elevation) { return !(elevation > maximum); };
    if (search.scan(fineStep, pass.los, Proven::nothing, notAboveMaximum)) {
        search.scan(
            fineStep, pass.los, Proven::nothing, false, [&maximum](double elevation) { return elevation >= maximum; },
            [&](float, double elevation) {
                if (elevation > maximum) {
                    maximum = storedElevation(elevation);
                    azimuthAtMaximum = static_cast<float>(state.azimuth);
                }
            });
    }
    pass.maximumElevation = maximum;
    pass.azimuthAtMaximum = azimuthAtMaximum;
    finished();
    pass.nextStart = atLos;  // the next search starts at the end of this pass
    return pass;
}

}  // namespace station
