#pragma once
// Pass prediction: steps clock fields forward through coarse and fine scans to find the next rise
// above the minimum elevation (AOS), the set (LOS) and the highest elevation between.
#include "orbit/orbit_model.hpp"
#include "orbit/propagation.hpp"

#include <string>

namespace station {

struct PassPrediction {
    bool found = false;           // false: no pass within the search bound
    bool geostationary = false;
    double aos = 0;               // day number (UTC) of the rise, in the year the search started
    double aosLocal = 0;          // the same instant on the local clock, for display
    double los = 0;
    double losLocal = 0;
    double maximumElevation = 0;  // radians (single precision in the scheduler)
    float azimuthAtAos = 0;       // radians
    float azimuthAtMaximum = 0;   // tracker only
    float azimuthAtLos = 0;
    int year = 0;                 // the year of the search start, which the day numbers belong to
    // The first instant the SGP4 model had no state for (a decayed satellite, say), which the
    // search took for one below the horizon; none when every sample had a state.
    Sgp4Error modelError = Sgp4Error::none;
    // Where the search for the pass after this one starts: this pass's LOS (a year on for a
    // geostationary satellite, where the search gave up when none was found).
    ClockTime nextStart;
};

// What a pass search shows while it runs; the orbital core knows nothing of the screen.
class PassSearchDisplay {
public:
    virtual ~PassSearchDisplay() = default;
    // Before every sample: the date and time line keeps running.
    virtual void showDateTime() {}
    // "Calculating AOS and LOS times".
    virtual void showStatus(const std::string&) {}
    // "Keps out of date!", and the report of a search that found no pass.
    virtual void showMessage(const std::string&) {}
};

// The precision the maximum elevation is kept in while the search climbs to it.
enum class MaximumPrecision { full, single };

struct PassSearchSettings {
    double minimumElevation = 0;  // radians
    float searchStep = 1;         // minutes
    float utcOffsetHours = 0;
    double boundDays = 10;        // a satellite that never rises is given up after this
    MaximumPrecision maximumPrecision = MaximumPrecision::full;  // the scheduler's is single
    // Leaves out the samples that provably lie below the horizon (or above it before the LOS),
    // with the same results; without, every sample is taken, the reference the skipping search
    // is held to.
    bool skipProvenSamples = true;
};

// Searches from the instant `start` with the orbit's model. `state` is left at the last sample.
PassPrediction predictPass(const OrbitConstants& constants, SatelliteOrbit& orbit, const ObserverSite& site,
                           const PassSearchSettings& settings, const ClockTime& start, SatelliteState& state,
                           PassSearchDisplay& display);
// The same with the built-in model.
PassPrediction predictPass(const OrbitConstants& constants, const KeplerianElementSet& elements,
                           StationPosition station, const PassSearchSettings& settings, const ClockTime& start,
                           SatelliteState& state, PassSearchDisplay& display);

// |1 - mean motion| <= 0.01 (single-precision 0.01, compared in double).
bool isGeostationary(const KeplerianElementSet& elements);

}  // namespace station
