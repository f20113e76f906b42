// The search that leaves out the samples proven below (or above) the horizon against the one
// that takes every sample: the same passes to the last bit, on every real element set with both
// models and both programs' constants, from stations far apart, with several horizons, steps
// and start times, and on sets whose orbits end within the search.
#include "orbit/pass.hpp"

#include "orbit/tests/orbit_fixtures.hpp"
#include "orbit/tests/sgp4_data.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace station {
namespace {

using testing::degree;
using testing::stationAt;

template <typename Number>
bool sameBits(Number a, Number b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Case {
    double latitude;  // degrees, geodetic
    double longitude;
    double horizon;  // degrees
    float step;      // minutes
};
constexpr Case cases[] = {{52.35, 4.92, 0, 1},    {78.2, 15.6, 10, 1},  {-33.9, 18.4, 0, 0.5},
                          {0.0, -78.5, 5, 1.5},   {52.35, 4.92, 25, 1}, {-70.0, 140.0, 0, 2}};

void expectSameSearch(const OrbitConstants& constants, const KeplerianElementSet& elements, OrbitModel model,
                      const Case& c, const ClockTime& start, const std::string& what) {
    const bool scheduler = constants.scheduler();
    const StationPosition position = stationAt(c.latitude, c.longitude, scheduler);
    const ObserverSite site = observerSite(position, static_cast<float>(c.latitude * degree));
    PassSearchSettings settings;
    settings.minimumElevation = c.horizon * degree;
    settings.searchStep = c.step;
    settings.maximumPrecision = scheduler ? MaximumPrecision::single : MaximumPrecision::full;
    PassSearchSettings plainSettings = settings;
    plainSettings.skipProvenSamples = false;

    SatelliteOrbit fastOrbit = satelliteOrbit(model, elements);
    SatelliteOrbit plainOrbit = satelliteOrbit(model, elements);
    testing::RecordingDisplay fastDisplay;
    testing::RecordingDisplay plainDisplay;
    SatelliteState fastState;
    SatelliteState plainState;
    ClockTime from = start;
    // Three passes in a row, each search from the LOS of the one before.
    for (int n = 0; n < 3; ++n) {
        const PassPrediction fast = predictPass(constants, fastOrbit, site, settings, from, fastState, fastDisplay);
        const PassPrediction plain =
            predictPass(constants, plainOrbit, site, plainSettings, from, plainState, plainDisplay);
        SCOPED_TRACE(what + " pass " + std::to_string(n));
        ASSERT_EQ(fast.found, plain.found);
        EXPECT_EQ(fast.modelError, plain.modelError);
        EXPECT_TRUE(sameBits(fast.aos, plain.aos) && sameBits(fast.aosLocal, plain.aosLocal));
        EXPECT_TRUE(sameBits(fast.los, plain.los) && sameBits(fast.losLocal, plain.losLocal));
        EXPECT_TRUE(sameBits(fast.maximumElevation, plain.maximumElevation));
        EXPECT_TRUE(sameBits(fast.azimuthAtAos, plain.azimuthAtAos) &&
                    sameBits(fast.azimuthAtMaximum, plain.azimuthAtMaximum) &&
                    sameBits(fast.azimuthAtLos, plain.azimuthAtLos));
        EXPECT_TRUE(sameBits(fast.nextStart.minute, plain.nextStart.minute) &&
                    sameBits(fast.nextStart.day, plain.nextStart.day));
        // The last sample is the same one, and the screen saw the same redraws and messages.
        EXPECT_TRUE(sameBits(fastState.dayNumber, plainState.dayNumber) &&
                    sameBits(fastState.elevation, plainState.elevation));
        EXPECT_EQ(fastDisplay.dateTimeRedraws, plainDisplay.dateTimeRedraws);
        EXPECT_EQ(fastDisplay.messages, plainDisplay.messages);
        if (!fast.found || fast.geostationary) {
            return;
        }
        from = fast.nextStart;
    }
}

TEST(PassSearchSkipping, FindsWhatEverySampleFinds) {
    std::vector<testing::NamedSet> sets = testing::realSets();
    // Orbits that end within the search: a decay (SGP4), a drift that stops the mean motion
    // (built-in).
    KeplerianElementSet decaying = sets.front().elements;
    decaying.meanMotion = 16.0;
    decaying.bStar = 0.01;
    sets.push_back({"decaying", decaying});
    KeplerianElementSet stopping = sets.front().elements;
    stopping.meanMotionDrift = -2.0;
    sets.push_back({"stopping", stopping});

    int searched = 0;
    for (const testing::NamedSet& set : sets) {
        const int year = set.elements.epochYear;
        const OrbitConstants tracker = trackerConstants({static_cast<std::int16_t>(year), 1, 1, 0, 0, 0});
        const OrbitConstants scheduler = schedulerConstants();
        for (int k = 0; k < 6; ++k) {
            // Starts from a day before the epoch to some days after it, at odd minutes.
            const double startDay = std::floor(set.elements.epochDay) - 1 + k * 0.83;
            const double day = std::floor(startDay);
            const ClockTime start{static_cast<std::int16_t>(year), 1, static_cast<float>(day), 0,
                                  static_cast<float>(std::round((startDay - day) * 1440) + 0.37), 0};
            for (const OrbitModel model : {OrbitModel::builtIn, OrbitModel::sgp4}) {
                for (const OrbitConstants* constants : {&tracker, &scheduler}) {
                    const Case& c = cases[(k + searched) % std::size(cases)];
                    expectSameSearch(*constants, set.elements, model, c, start,
                                     set.name + (model == OrbitModel::sgp4 ? " sgp4" : " built-in") +
                                         (constants->scheduler() ? " scheduler" : " tracker") + " from day " +
                                         std::to_string(startDay) + " at " + std::to_string(c.latitude));
                    ++searched;
                }
            }
        }
    }
    EXPECT_GT(searched, 800);
}

}  // namespace
}  // namespace station
