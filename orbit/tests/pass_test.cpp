#include "orbit/pass.hpp"

#include "orbit/tests/orbit_fixtures.hpp"
#include "text/testsupport/comma_locale.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace station {
namespace {

using testing::degree;
using testing::demoElements;
using testing::RecordingDisplay;
using testing::stationAt;

const ClockTime start{2026, 10, 10, 0.0f, 0.0f, 0.0f};
const OrbitConstants tracker = trackerConstants(start);
const OrbitConstants scheduler = schedulerConstants();
constexpr double minuteDays = 1.0 / 1440;

StationPosition demoStation(const OrbitConstants& c) { return stationAt(52.35, 4.92, c.scheduler()); }

PassSearchSettings settings(float stepSeconds = 60, double horizonDegrees = 0) {
    PassSearchSettings s;
    s.searchStep = stepSeconds / 60;
    s.minimumElevation = horizonDegrees * degree;
    return s;
}

// The instant of a day number of the search's year, with the minute field kept small so that
// single precision does not blur it (about 10 ms).
ClockTime at(double dayNumber) {
    const double day = std::floor(dayNumber);
    return {start.year, 1, static_cast<float>(day), 0.0f, static_cast<float>((dayNumber - day) * 1440), 0.0f};
}

struct Elevation {
    const OrbitConstants& constants;
    const KeplerianElementSet& elements;
    StationPosition station;
    SatelliteState operator()(double dayNumber) const {
        SatelliteState state;
        propagate(constants, elements, at(dayNumber), state);
        lookAngles(constants, station, state);
        return state;
    }
};

struct Search {
    ClockTime time;
    SatelliteState state;
    RecordingDisplay display;
    PassPrediction pass;
    Search(const OrbitConstants& c, const KeplerianElementSet& set, StationPosition station, ClockTime from,
           const PassSearchSettings& s = settings())
        : time(from) {
        display.state = &state;
        PassSearchSettings chosen = s;
        if (c.scheduler()) {
            chosen.maximumPrecision = MaximumPrecision::single;
        }
        pass = predictPass(c, set, station, chosen, time, state, display);
    }
};

// The pass checked against fresh propagations: up half a minute inside both ends, down half a
// minute outside (both far beyond the fine step of 1.2 s), and no instant of the pass higher
// than the maximum found (sampled every 0.2 s; the fine climb's grid leaves less than 0.05
// degree at the peak).
void expectPlausible(const OrbitConstants& c, const KeplerianElementSet& set, const PassPrediction& pass,
                     const std::string& name) {
    const Elevation elevation{c, set, demoStation(c)};
    ASSERT_TRUE(pass.found) << name;
    EXPECT_FALSE(pass.geostationary);
    EXPECT_LT(pass.aos, pass.los) << name;
    EXPECT_LT(elevation(pass.aos - 0.5 * minuteDays).elevation, 0) << name;
    EXPECT_LT(elevation(pass.los + 0.5 * minuteDays).elevation, 0) << name;
    if (pass.los - pass.aos > 1.5 * minuteDays) {
        EXPECT_GT(elevation(pass.aos + 0.5 * minuteDays).elevation, 0) << name;
        EXPECT_GT(elevation(pass.los - 0.5 * minuteDays).elevation, 0) << name;
    }
    double highest = -1;
    for (double day = pass.aos; day < pass.los; day += 0.2 / 86400) {
        highest = std::max(highest, elevation(day).elevation);
    }
    EXPECT_NEAR(pass.maximumElevation / degree, highest / degree, 0.05) << name;
    EXPECT_LE(pass.maximumElevation, 90 * degree + 1e-7);  // the scheduler's float of 90 degrees
    // Near the horizon the azimuth turns by well under a degree per fine step.
    EXPECT_NEAR(pass.azimuthAtAos, elevation(pass.aos).azimuth, 1 * degree) << name;
    EXPECT_NEAR(pass.azimuthAtLos, elevation(pass.los).azimuth, 1 * degree) << name;
}

TEST(PredictPass, RealSatellitesGivePlausibleSuccessivePasses) {
    for (const char* name : {"ISS", "SO-50", "AO-7", "AO-10", "NOAA-19", "FO-29"}) {
        const KeplerianElementSet set = demoElements(name);
        for (const OrbitConstants* c : {&tracker, &scheduler}) {
            ClockTime from = start;
            double previousLos = 0;
            for (int n = 0; n < 3; ++n) {
                Search search(*c, set, demoStation(*c), from);
                const PassPrediction& pass = search.pass;
                expectPlausible(*c, set, pass, name);
                EXPECT_GT(pass.aos, previousLos) << name;
                EXPECT_EQ(search.display.statuses, std::vector<std::string>{"Calculating AOS and LOS times"});
                EXPECT_EQ(search.display.dateTimeRedraws, static_cast<int>(search.display.sampleDays.size()) + 1);
                EXPECT_EQ(pass.year, 2026);
                // The next search starts at this LOS; the caller's clock is not moved.
                EXPECT_EQ(dayNumberOf(pass.nextStart), pass.los);
                EXPECT_EQ(dayNumberOf(search.time), dayNumberOf(from));
                from = pass.nextStart;
                previousLos = pass.los;
            }
        }
    }
}

TEST(PredictPass, BothProgramsFindTheSamePass) {
    const KeplerianElementSet iss = demoElements("ISS");
    const PassPrediction t = Search(tracker, iss, demoStation(tracker), start).pass;
    const PassPrediction s = Search(scheduler, iss, demoStation(scheduler), start).pass;
    // Constants, Earth rotation and horizon radius differ slightly between the two models.
    EXPECT_NEAR(t.aos, s.aos, 10.0 / 86400);
    EXPECT_NEAR(t.los, s.los, 10.0 / 86400);
    EXPECT_NEAR(t.maximumElevation / degree, s.maximumElevation / degree, 0.5);
    EXPECT_EQ(s.maximumElevation, static_cast<float>(s.maximumElevation));
    EXPECT_NEAR(s.azimuthAtAos, t.azimuthAtAos, 1 * degree);
    EXPECT_NEAR(s.azimuthAtLos, t.azimuthAtLos, 1 * degree);
    EXPECT_NEAR(s.azimuthAtMaximum, t.azimuthAtMaximum, 1 * degree);
}

TEST(PredictPass, LocalTimesAndTheHorizon) {
    const KeplerianElementSet iss = demoElements("ISS");
    PassSearchSettings s = settings(60, 10);
    s.utcOffsetHours = -2;  // a clock two hours ahead of UTC
    const PassPrediction pass = Search(tracker, iss, demoStation(tracker), start, s).pass;
    EXPECT_NEAR(pass.aosLocal - pass.aos, 2.0 / 24, 1e-9);
    EXPECT_NEAR(pass.losLocal - pass.los, 2.0 / 24, 1e-9);
    EXPECT_GT(pass.maximumElevation, 10 * degree);
    const Elevation elevation{tracker, iss, demoStation(tracker)};
    EXPECT_LT(elevation(pass.aos - 0.5 * minuteDays).elevation, 10 * degree);
    EXPECT_GT(elevation(pass.aos + 0.5 * minuteDays).elevation, 10 * degree);
}

TEST(PredictPass, AlreadyUpGivesAnAosOneStepBeforeTheStart) {
    const KeplerianElementSet iss = demoElements("ISS");
    const PassPrediction first = Search(tracker, iss, demoStation(tracker), start).pass;
    const ClockTime inside = at(first.aos + 3 * minuteDays);
    Search search(tracker, iss, demoStation(tracker), inside);
    // The coarse rise scan stops at its first sample; the fine scan starts a step before the
    // start, where the satellite was already up, and AOS is one fine step after that.
    float minute = inside.minute;
    minute += 1.0f;
    minute -= 2.0f;
    minute += 1.0f / 50;
    ClockTime expected = inside;
    expected.minute = minute;
    EXPECT_EQ(search.pass.aos, dayNumberOf(expected));
    EXPECT_NEAR(search.pass.los, first.los, 2 * 1.2 / 86400);  // two fine steps on shifted grids
}

TEST(PredictPass, ThirtySecondStepSamplesEveryHalfMinuteThenEveryFiftieth) {
    Search search(tracker, demoElements("ISS"), demoStation(tracker), start, settings(30));
    const std::vector<double>& days = search.display.sampleDays;
    ASSERT_GT(days.size(), 100u);
    int coarse = 0;
    int fine = 0;
    for (std::size_t k = 1; k < days.size(); ++k) {
        const double gap = (days[k] - days[k - 1]) * 1440;
        if (gap > 0) {
            // Single-precision minutes near 400 carry about 3e-5 minute.
            const bool isCoarse = std::fabs(gap - 0.5) < 1e-4;
            const bool isFine = std::fabs(gap - 0.01) < 1e-4;
            EXPECT_TRUE(isCoarse || isFine) << gap;
            coarse += isCoarse;
            fine += isFine;
        }
    }
    EXPECT_NEAR((days[1] - days[0]) * 1440, 0.5, 1e-4);
    EXPECT_GT(coarse, 700);  // some six hours to the first pass
    EXPECT_GT(fine, 100);  // the rise, the set and the climb to the maximum
}

TEST(PredictPass, GeostationarySatelliteIsNotSearched) {
    const KeplerianElementSet qo100 = demoElements("QO-100");
    ASSERT_TRUE(isGeostationary(qo100));
    for (const OrbitConstants* c : {&tracker, &scheduler}) {
        const ClockTime from{2026, 10, 10, 6.0f, 42.5f, 3.0f};
        Search search(*c, qo100, demoStation(*c), from, settings(60, 5));
        EXPECT_TRUE(search.pass.found);
        EXPECT_TRUE(search.pass.geostationary);
        EXPECT_EQ(search.pass.aos, dayNumberOf(from));
        EXPECT_NEAR(search.pass.los - search.pass.aos, 365, 1e-9);  // day numbers near 650 keep 1e-13
        EXPECT_EQ(search.pass.maximumElevation, c->scheduler() ? static_cast<float>(5 * degree) : 5 * degree);
        EXPECT_TRUE(search.display.statuses.empty());
        EXPECT_EQ(search.display.dateTimeRedraws, 0);
        EXPECT_EQ(search.pass.nextStart.day, from.day + 365);
        EXPECT_EQ(search.pass.nextStart.minute, from.minute);
    }
}

// A satellite on the equator at 1.02 revolutions a day is not geostationary: searched in full.
// Starting overhead of an equatorial station it drifts only some 6 degrees a day, so it is up
// at once and does not set within the bound: the LOS is put at the bound.
TEST(PredictPass, NearlyGeostationaryIsSearchedAndKeptUpToTheBound) {
    KeplerianElementSet set;
    set.epochYear = start.year;
    set.epochDay = dayNumberOf(start);
    set.meanMotion = 1.02;
    EXPECT_FALSE(isGeostationary(set));
    SatelliteState below;
    propagate(tracker, set, start, below);
    const StationPosition station{0, static_cast<float>(below.longitude)};
    Search search(tracker, set, station, start);
    EXPECT_EQ(search.display.statuses, std::vector<std::string>{"Calculating AOS and LOS times"});
    EXPECT_TRUE(search.pass.found);
    EXPECT_LT(search.pass.aos, dayNumberOf(start));
    EXPECT_GE(search.pass.los - search.pass.aos, 10);
    EXPECT_LT(search.pass.los - search.pass.aos, 10 + 2 * minuteDays);
    EXPECT_GT(search.pass.maximumElevation, 89 * degree);
}

TEST(PredictPass, SatelliteThatNeverRisesEndsAtTheBound) {
    KeplerianElementSet equatorial;
    equatorial.epochYear = start.year;
    equatorial.epochDay = dayNumberOf(start);
    equatorial.meanMotion = 15;
    for (double bound : {10.0, 2.5}) {
        PassSearchSettings s = settings();
        s.boundDays = bound;
        Search search(tracker, equatorial, stationAt(60, 0), start, s);
        EXPECT_FALSE(search.pass.found);
        const std::string text = bound == 10 ? "No pass within 10 days" : "No pass within 2.5 days";
        EXPECT_EQ(search.display.messages, std::vector<std::string>{text});
        EXPECT_GE(dayNumberOf(search.pass.nextStart) - dayNumberOf(start), bound);
        EXPECT_LT(dayNumberOf(search.pass.nextStart) - dayNumberOf(start), bound + 2 * minuteDays);
    }
}

TEST(PredictPass, NoPassMessageKeepsThePointWhateverTheLocale) {
    testing::CommaLocale comma;
    ASSERT_TRUE(comma.active());
    KeplerianElementSet equatorial;
    equatorial.epochYear = start.year;
    equatorial.epochDay = dayNumberOf(start);
    equatorial.meanMotion = 15;
    PassSearchSettings s = settings();
    s.boundDays = 2.5;
    Search search(tracker, equatorial, stationAt(60, 0), start, s);
    EXPECT_EQ(search.display.messages, std::vector<std::string>{"No pass within 2.5 days"});
}

// An infinite step from inside a pass turned the minute into NaN (infinity minus infinity) and the
// fine scan never ended.
TEST(PredictPass, ClockThatIsNotFiniteEndsTheSearch) {
    const KeplerianElementSet iss = demoElements("ISS");
    for (const OrbitConstants* c : {&tracker, &scheduler}) {
        const PassPrediction first = Search(*c, iss, demoStation(*c), start).pass;
        ASSERT_TRUE(first.found);
        const ClockTime midPass = at((first.aos + first.los) / 2);

        PassSearchSettings infiniteStep = settings();
        infiniteStep.searchStep = INFINITY;
        const Search fromInside(*c, iss, demoStation(*c), midPass, infiniteStep);
        EXPECT_FALSE(fromInside.pass.found);
        EXPECT_EQ(fromInside.display.messages, std::vector<std::string>{"No pass within 10 days"});

        ClockTime nanMinute = start;
        nanMinute.minute = NAN;
        const Search fromNan(*c, iss, demoStation(*c), nanMinute);
        EXPECT_FALSE(fromNan.pass.found);
        EXPECT_LE(fromNan.display.dateTimeRedraws, 1);

        ClockTime infiniteHour = midPass;
        infiniteHour.hour = -INFINITY;
        EXPECT_FALSE(Search(*c, iss, demoStation(*c), infiniteHour).pass.found);
    }
}

// A step far longer than a pass (1600 minutes) is nonsense, but the pass it finds must still end
// after it begins: two steps back from the first sample below can lie before the AOS.
TEST(PredictPass, PassNeverEndsBeforeItBegins) {
    for (const char* name : {"ISS", "SO-50", "AO-7"}) {
        const KeplerianElementSet set = demoElements(name);
        for (const OrbitConstants* c : {&tracker, &scheduler}) {
            for (int hour = 0; hour < 24; hour += 3) {
                ClockTime from = start;
                from.hour = static_cast<float>(hour);
                const PassPrediction pass = Search(*c, set, demoStation(*c), from, settings(96000)).pass;
                if (pass.found) {
                    EXPECT_GE(pass.los, pass.aos) << name << " from " << hour << " h";
                }
            }
        }
    }
}

TEST(PredictPass, UnusableElementsAndStepAreRejectedWithoutSampling) {
    KeplerianElementSet set = demoElements("ISS");
    set.meanMotion = 0;
    Search noMotion(tracker, set, demoStation(tracker), start);
    EXPECT_FALSE(noMotion.pass.found);
    EXPECT_EQ(noMotion.display.messages, std::vector<std::string>{"Cannot predict a pass: mean motion is 0 or less"});
    EXPECT_EQ(noMotion.display.dateTimeRedraws, 0);
    EXPECT_EQ(noMotion.time.minute, start.minute);

    set = demoElements("ISS");
    set.eccentricity = 1;
    Search open(tracker, set, demoStation(tracker), start);
    EXPECT_FALSE(open.pass.found);
    EXPECT_EQ(open.display.messages,
              std::vector<std::string>{"Cannot predict a pass: eccentricity is not between 0 and 1"});

    Search noStep(tracker, demoElements("ISS"), demoStation(tracker), start, settings(0));
    EXPECT_FALSE(noStep.pass.found);
    EXPECT_EQ(noStep.display.messages, std::vector<std::string>{"Cannot predict a pass: search step is 0 or less"});
}

TEST(PredictPass, OldElementsWarnWhileTheSearchGoesOn) {
    KeplerianElementSet set = demoElements("ISS");
    set.epochYear = 2024;
    Search search(tracker, set, demoStation(tracker), start);
    EXPECT_TRUE(search.pass.found);
    ASSERT_FALSE(search.display.messages.empty());
    EXPECT_EQ(search.display.messages.front(), "Keps out of date!");
}

TEST(PredictPass, SearchAcrossTheTurnOfTheYearStaysInTheStartYear) {
    const ClockTime newYearsEve{2026, 12, 31, 23.0f, 50.0f, 0.0f};
    Search search(tracker, demoElements("ISS"), demoStation(tracker), newYearsEve);
    EXPECT_EQ(search.pass.year, 2026);
    EXPECT_GT(search.pass.aos, 366.0);  // 2026 has 365 days: past midnight
}

}  // namespace
}  // namespace station
