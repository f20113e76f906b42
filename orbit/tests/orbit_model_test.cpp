// The orbit model seam: SGP4 states in the record the programs work on, the sets each model
// refuses, and the pass search run on the SGP4 model with the built-in model's rules.
#include "orbit/orbit_model.hpp"
#include "orbit/pass.hpp"

#include "orbit/tests/orbit_fixtures.hpp"
#include "orbit/tests/sgp4_data.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace station {
namespace {

using testing::degree;
using testing::demoElements;
using testing::numbersOf;
using testing::RecordingDisplay;
using testing::sgp4DataLines;
using testing::stationAt;

constexpr double demoLatitude = 52.35;
constexpr double demoLongitude = 4.92;

ObserverSite demoSite() {
    return observerSite(stationAt(demoLatitude, demoLongitude), static_cast<float>(demoLatitude * degree));
}

// The clock fields of a whole minute given as a day number, as the programs' clock gives them.
ClockTime clockAtMinute(int year, double dayNumber) {
    return {static_cast<std::int16_t>(year), 1, 0, 0, static_cast<float>(std::round(dayNumber * 1440)), 0};
}

// The independent look angles of the real sets from the demo station (station 0 of the data),
// reached through the clock fields and the record both programs read: within 0.01 degree, 10 m
// and 1 m/s, and the latitude shown is the model's geodetic one as it is.
TEST(OrbitModelSeam, Sgp4RecordMatchesTheReferenceLookAngles) {
    const std::vector<std::string> lines = sgp4DataLines("sgp4_look_angles.txt");
    const OrbitConstants constants = trackerConstants({2026, 10, 1, 0, 0, 0});
    const ObserverSite site = demoSite();
    SatelliteOrbit orbit;
    std::size_t compared = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("set ", 0) == 0 && i + 2 < lines.size()) {
            orbit = satelliteOrbit(OrbitModel::sgp4, parseElementLines(lines[i + 1], lines[i + 2]));
            ASSERT_EQ(orbit.problem, "") << line;
            i += 2;
            continue;
        }
        if (line.rfind("sample 0 ", 0) != 0) {
            continue;
        }
        const std::vector<double> n = numbersOf(line.substr(7));
        const ClockTime time = clockAtMinute(static_cast<int>(n[1]), n[2]);
        ASSERT_NEAR(dayNumberOf(time), n[2], 1e-9);
        SatelliteState state;
        ASSERT_EQ(sampleOrbit(constants, orbit, site, time, state), Sgp4Error::none);
        EXPECT_NEAR(std::remainder(state.azimuth / degree - n[3], 360.0), 0, 0.01) << line;
        EXPECT_NEAR(state.elevation / degree, n[4], 0.01) << line;
        EXPECT_NEAR(state.range, n[5], 0.010) << line;
        EXPECT_NEAR(state.rangeRate, n[6], 0.001) << line;
        EXPECT_NEAR(shownLatitude(constants, state) / degree, n[7], 0.01) << line;
        EXPECT_EQ(shownLatitude(constants, state), state.latitude);
        EXPECT_NEAR(std::remainder(state.longitude / degree - n[8], 360.0), 0, 0.01) << line;
        EXPECT_NEAR(state.altitude, n[9], 0.010) << line;
        EXPECT_EQ(state.dayNumber, dayNumberOf(time));
        EXPECT_EQ(state.previousRange, state.range);
        EXPECT_EQ(state.previousDayNumber, state.dayNumber);
        EXPECT_GE(state.phase, 0.0f);
        EXPECT_LE(state.phase, 256.0f);
        // The pass search's sky-only sample must steer it exactly as a whole one would.
        SatelliteState sky;
        Vector3 earthFixedKm{};
        ASSERT_EQ(sampleSky(constants, orbit, site, time, sky, {}, earthFixedKm), Sgp4Error::none);
        EXPECT_EQ(sky.azimuth, state.azimuth) << line;
        EXPECT_EQ(sky.elevation, state.elevation) << line;
        ++compared;
    }
    EXPECT_GE(compared, 36u * 80u);  // every third sample is the demo station's
}

// The built-in model's record still carries a geocentric latitude, which the screen converts.
TEST(OrbitModelSeam, BuiltInLatitudeIsShownConvertedAsBefore) {
    const ClockTime time{2026, 10, 10, 13, 14, 0};
    const OrbitConstants constants = trackerConstants(time);
    SatelliteOrbit orbit = satelliteOrbit(OrbitModel::builtIn, demoElements("ISS"));
    SatelliteState state;
    sampleOrbit(constants, orbit, demoSite(), time, state);
    EXPECT_FALSE(state.latitudeGeodetic);
    EXPECT_EQ(shownLatitude(constants, state), geodeticLatitude(constants, state.latitude));
}

// The phase is the mean anomaly in 256ths of a revolution, as the built-in model counts it: for
// a fresh set the two agree to within the difference of their mean motions over the hours
// since the epoch (SGP4 recovers the Brouwer mean motion; about 1.5 units a day for the ISS).
TEST(OrbitModelSeam, PhaseIsOnTheBuiltInScale) {
    const KeplerianElementSet iss = demoElements("ISS");
    const OrbitConstants constants = trackerConstants({2026, 10, 10, 0, 0, 0});
    SatelliteOrbit sgp4 = satelliteOrbit(OrbitModel::sgp4, iss);
    SatelliteOrbit builtIn = satelliteOrbit(OrbitModel::builtIn, iss);
    const ObserverSite site = demoSite();
    for (int minute = 0; minute < 720; minute += 7) {
        const ClockTime time = clockAtMinute(iss.epochYear, iss.epochDay + minute / 1440.0);
        SatelliteState a;
        SatelliteState b;
        sampleOrbit(constants, sgp4, site, time, a);
        sampleOrbit(constants, builtIn, site, time, b);
        EXPECT_NEAR(std::remainder(a.phase - b.phase, 256.0f), 0, 1.5) << minute;
    }
}

// Each model refuses the sets it cannot follow, in its own words; the message line shows them
// after the satellite's name.
TEST(OrbitModelSeam, EachModelRefusesWhatItCannotFollow) {
    const KeplerianElementSet iss = demoElements("ISS");
    struct Case {
        const char* what;
        KeplerianElementSet elements;
        std::string builtIn;
        std::string sgp4;
    };
    std::vector<Case> cases;
    cases.push_back({"fresh set", iss, "", ""});
    cases.push_back({"geostationary", demoElements("QO-100"), "", ""});
    cases.push_back({"deep space", demoElements("AO-10"), "", ""});
    KeplerianElementSet set = iss;
    set.meanMotion = 0;
    cases.push_back({"no mean motion", set, "mean motion is 0 or less", "mean motion not positive"});
    set = iss;
    set.eccentricity = 1.2;
    cases.push_back({"hyperbolic", set, "eccentricity is not between 0 and 1", "eccentricity out of range"});
    set = iss;
    set.meanMotion = 17.5;  // its orbit lies inside the Earth
    cases.push_back({"inside the Earth", set, "", "satellite has decayed"});
    for (const Case& c : cases) {
        EXPECT_EQ(satelliteOrbit(OrbitModel::builtIn, c.elements).problem, c.builtIn) << c.what;
        EXPECT_EQ(satelliteOrbit(OrbitModel::sgp4, c.elements).problem, c.sgp4) << c.what;
    }
}

// The range rate of the built-in model is a difference of ranges: after SGP4 samples it goes on
// from the last SGP4 range rather than from an old one.
TEST(OrbitModelSeam, BuiltInRangeRateAfterSgp4SamplesIsTheSatellites) {
    const ClockTime first{2026, 10, 10, 13, 14, 0};
    const OrbitConstants constants = trackerConstants(first);
    const ObserverSite site = demoSite();
    SatelliteOrbit sgp4 = satelliteOrbit(OrbitModel::sgp4, demoElements("ISS"));
    SatelliteOrbit builtIn = satelliteOrbit(OrbitModel::builtIn, demoElements("ISS"));
    SatelliteState state;
    ClockTime time = first;
    time.hour = 2;  // a far-off sample the built-in model would otherwise difference against
    sampleOrbit(constants, builtIn, site, time, state);
    time = first;
    sampleOrbit(constants, sgp4, site, time, state);
    time.second += 1;
    sampleOrbit(constants, builtIn, site, time, state);
    EXPECT_LT(std::fabs(state.rangeRate), 8.0);
}

// Elevation of the SGP4 model at a day number, as the search samples it.
double sgp4Elevation(SatelliteOrbit& orbit, const ObserverSite& site, int year, double dayNumber) {
    const Sgp4Sample sample = sampleSgp4(orbit.sgp4, site.geodetic, year, dayNumber);
    return sample.state.error == Sgp4Error::none ? sample.look.elevation : -1.0;
}

// Passes of the low sets over two days with the SGP4 model and the search's own rules: the
// first fine sample of the pass lies above the horizon and the one before it below, the same at
// the LOS, the maximum is the highest elevation near the peak, and each pass follows the last.
TEST(OrbitModelSeam, PassSearchOnSgp4SamplesItsRisesAndSets) {
    const OrbitConstants constants = schedulerConstants();
    const ObserverSite site =
        observerSite(stationAt(demoLatitude, demoLongitude, true), static_cast<float>(demoLatitude * degree));
    PassSearchSettings settings;
    settings.searchStep = 1;
    settings.maximumPrecision = MaximumPrecision::single;
    const double fine = settings.searchStep / 50.0 / 1440;
    int passes = 0;
    for (const char* name : {"ISS", "SO-50", "AO-7"}) {
        SatelliteOrbit orbit = satelliteOrbit(OrbitModel::sgp4, demoElements(name));
        ClockTime time{2026, 10, 10, 0, 0, 0};
        SatelliteState state;
        RecordingDisplay display;
        double lastLos = 0;
        while (dayNumberOf(time) < 285) {
            const PassPrediction pass = predictPass(constants, orbit, site, settings, time, state, display);
            ASSERT_TRUE(pass.found) << name;
            EXPECT_EQ(pass.modelError, Sgp4Error::none);
            SCOPED_TRACE(std::string(name) + " " + std::to_string(pass.aos));
            EXPECT_GT(pass.aos, lastLos);
            EXPECT_LT(pass.aos, pass.los);
            EXPECT_GE(sgp4Elevation(orbit, site, 2026, pass.aos - fine), 0);
            EXPECT_LT(sgp4Elevation(orbit, site, 2026, pass.aos - 2 * fine), 0);
            EXPECT_LT(sgp4Elevation(orbit, site, 2026, pass.los - fine), 0);
            EXPECT_GE(sgp4Elevation(orbit, site, 2026, pass.los - 2 * fine), 0);
            // The highest fine sample lies within half a fine step of the peak.
            double highest = 0;
            double peak = pass.aos;
            for (double day = pass.aos; day < pass.los; day += fine / 20) {
                const double elevation = sgp4Elevation(orbit, site, 2026, day);
                if (elevation > highest) {
                    highest = elevation;
                    peak = day;
                }
            }
            const double nearPeak = std::min(sgp4Elevation(orbit, site, 2026, peak - fine / 2),
                                             sgp4Elevation(orbit, site, 2026, peak + fine / 2));
            EXPECT_LE(pass.maximumElevation, highest + 1e-6);
            EXPECT_GE(pass.maximumElevation, nearPeak - 1e-6);
            lastLos = pass.los;
            time = pass.nextStart;
            ++passes;
        }
    }
    EXPECT_GT(passes, 30);
}

// A satellite that has decayed by the start of the search: every sample is below the horizon,
// the search ends at its bound, and it says which error the model met.
TEST(OrbitModelSeam, DecayDuringTheSearchCountsAsBelowTheHorizon) {
    KeplerianElementSet decaying = demoElements("ISS");
    decaying.meanMotion = 16.0;
    decaying.bStar = 0.01;  // down within three days of its epoch
    SatelliteOrbit orbit = satelliteOrbit(OrbitModel::sgp4, decaying);
    ASSERT_EQ(orbit.problem, "");
    const ObserverSite site = demoSite();
    const OrbitConstants constants = trackerConstants({2026, 10, 14, 0, 0, 0});
    PassSearchSettings settings;
    settings.searchStep = 1;

    ClockTime time = clockAtMinute(2026, decaying.epochDay + 3);
    SatelliteState state;
    RecordingDisplay display;
    PassPrediction pass = predictPass(constants, orbit, site, settings, time, state, display);
    EXPECT_FALSE(pass.found);
    EXPECT_EQ(pass.modelError, Sgp4Error::decayed);
    EXPECT_EQ(display.messages, std::vector<std::string>{"No pass within 10 days"});

    // Before its decay it still has passes, and a search that ends before the decay met none.
    time = clockAtMinute(2026, decaying.epochDay);
    pass = predictPass(constants, orbit, site, settings, time, state, display);
    EXPECT_TRUE(pass.found);
    EXPECT_EQ(pass.modelError, Sgp4Error::none);
}

// Some days after the decay the model's drag terms give states again; they are no orbit, even
// to a record whose first sample falls among them.
TEST(OrbitModelSeam, StatesAfterADecayAreNoOrbit) {
    const KeplerianElementSet decaying =
        parseElementLines("1 99997U 26001A   26280.50000000  .00000000  00000-0  10000-1 0  9999",
                          "2 99997  51.6000 100.0000 0001000   0.0000   0.0000 16.00000000    09");
    const double laterMinutes = 10.4 * 1440;
    Sgp4Orbit bare = initialiseSgp4(decaying).orbit;
    ASSERT_EQ(propagateSgp4(bare, laterMinutes).error, Sgp4Error::none);

    SatelliteOrbit orbit = satelliteOrbit(OrbitModel::sgp4, decaying);
    const OrbitConstants constants = trackerConstants({2026, 10, 14, 0, 0, 0});
    SatelliteState state;
    const ClockTime later = clockAtMinute(2026, decaying.epochDay + laterMinutes / 1440);
    EXPECT_EQ(sampleOrbit(constants, orbit, demoSite(), later, state), Sgp4Error::decayed);
    EXPECT_GT(orbit.endMinutes, 2 * 1440.0);
    EXPECT_LT(orbit.endMinutes, 3 * 1440.0);
    // Before the end it is followed as ever.
    const ClockTime earlier = clockAtMinute(2026, decaying.epochDay + 1);
    EXPECT_EQ(sampleOrbit(constants, orbit, demoSite(), earlier, state), Sgp4Error::none);
}

// What the search does apart from the model stays: the geostationary shortcut and the warning
// about element sets of another year.
TEST(OrbitModelSeam, GeostationaryShortcutAndOutOfDateWarningStay) {
    const OrbitConstants constants = trackerConstants({2026, 10, 10, 0, 0, 0});
    const ObserverSite site = demoSite();
    PassSearchSettings settings;
    SatelliteOrbit geostationary = satelliteOrbit(OrbitModel::sgp4, demoElements("QO-100"));
    ClockTime time{2026, 10, 10, 0, 0, 0};
    SatelliteState state;
    RecordingDisplay display;
    const PassPrediction pass = predictPass(constants, geostationary, site, settings, time, state, display);
    EXPECT_TRUE(pass.geostationary);
    EXPECT_EQ(pass.los - pass.aos, 365);

    KeplerianElementSet old = demoElements("ISS");
    old.epochYear = 2024;
    SatelliteOrbit orbit = satelliteOrbit(OrbitModel::sgp4, old);
    int warnings = 0;
    sampleOrbit(constants, orbit, site, time, state, [&] { ++warnings; });
    EXPECT_EQ(warnings, 1);
    old.epochYear = 2025;
    orbit = satelliteOrbit(OrbitModel::sgp4, old);
    sampleOrbit(constants, orbit, site, time, state, [&] { ++warnings; });
    EXPECT_EQ(warnings, 1);
}

}  // namespace
}  // namespace station
