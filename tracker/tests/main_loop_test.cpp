#include "text/picture.hpp"
#include "tracker/screen.hpp"
#include "tracker_fixture.hpp"

#include <cmath>
#include <ctime>

namespace station::trackertest {
namespace {

// The message line (columns 2 to 79) showing `text` from column 3.
std::string messageText(const std::string& text) {
    return " " + text + std::string(77 - text.size(), ' ');
}

// Milliseconds of simulated time (the memory clock runs on UTC) of a day number of a year.
std::int64_t millisOf(int year, double dayNumber) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mday = 1;
    const auto newYear = static_cast<std::int64_t>(::timegm(&fields)) * 1000;
    return newYear + static_cast<std::int64_t>(std::floor((dayNumber - 1) * 86400000.0));
}

// The first loop pass that sees the clock's whole second beyond an instant ends the state it is
// in: the loop's wait ends at the first millisecond of that second.
std::int64_t firstPassAfter(std::int64_t millis) { return (millis / 1000 + 1) * 1000; }

struct StatusChange {
    std::int64_t millis;
    std::string status;
};

class MainLoopTest : public TrackerTest {
protected:
    void SetUp() override {
        dir.copyDemo("KEPS.TXT");
        dir.copyDemo("KELVORIN.FRC");
        dir.write("KVFLIP.DAT", " 0 \r\n");
        mc.sleeper.onTime = [this](std::int64_t millis) { observe(millis); };
    }
    // A station whose rotator and radio have no port: positions and frequencies are computed and
    // shown but go nowhere, so the simulated passes write no files.
    void station(std::map<int, std::string> values = {}) {
        values.try_emplace(14, "1");
        values.try_emplace(18, "Y");
        dir.write("KELVORIN.CFG", stationConfig(values));
    }

    void observe(std::int64_t millis) {
        std::string status = statusLine();
        status.erase(status.find_last_not_of(' ') + 1);
        if (statuses.empty() || statuses.back().status != status) {
            statuses.push_back({millis, status});
        }
        if (watch) {
            watch(millis);
        }
    }
    // When the status first read `status`, or -1.
    std::int64_t statusSince(const std::string& status) const {
        for (const StatusChange& change : statuses) {
            if (change.status == status) {
                return change.millis;
            }
        }
        return -1;
    }
    std::vector<std::string> statusTexts() const {
        std::vector<std::string> texts;
        for (const StatusChange& change : statuses) {
            texts.push_back(change.status);
        }
        return texts;
    }

    std::vector<StatusChange> statuses;
    std::function<void(std::int64_t)> watch;
};

// ISS over the test station on 10 October 2026: a pass from about 13:09:31 to 13:19:40 UTC,
// the next one from about 14:47 UTC.

TEST_F(MainLoopTest, StartedInMidPassTracksAtOnceAndEndsAfterLos) {
    station({{34, "1"}});
    mc.clock.set(2026, 10, 10, 13, 12, 0);
    const std::int64_t start = mc.clock.millis;
    EXPECT_EQ(runUntil(start + 3'600'000, {"iss"}), 0);

    ASSERT_TRUE(s.pass.found);
    EXPECT_LT(millisOf(2026, s.pass.aos), start);
    const std::int64_t los = millisOf(2026, s.pass.los);
    EXPECT_GT(los, start + 6 * 60'000);
    // Idling and waiting each end in their first pass, without a wait: the first wait, and the
    // first status seen after one, is tracking's. The end comes with the first second past LOS.
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Tracking ISS"}));
    EXPECT_EQ(statusSince("Tracking ISS"), start + 1);
    EXPECT_EQ(mc.clock.millis, firstPassAfter(los));
}

TEST_F(MainLoopTest, WaitsUntilTwoMinutesBeforeAosShowingTheSatelliteOnceASecond) {
    station({{34, "1"}});
    mc.clock.set(2026, 10, 10, 13, 5, 0);
    const std::int64_t start = mc.clock.millis;
    std::vector<std::int64_t> redraws;
    const std::string blanked(21, '-');
    watch = [&](std::int64_t millis) {
        if (mc.screen.rowText(4, 3, 23) != blanked) {
            redraws.push_back(millis);
        }
        mc.screen.printAt(4, 3, blanked);
    };
    EXPECT_EQ(runUntil(start + 200'000, {"ISS"}), -1);

    const std::int64_t trackingFrom = millisOf(2026, s.pass.aos) - 120'000;
    EXPECT_EQ(statusSince("Waiting for ISS"), start + 1);
    EXPECT_EQ(statusSince("Tracking ISS"), firstPassAfter(trackingFrom) + 1);
    // Waiting draws the date and time line only in the once-a-second update: on the first pass
    // of the waiting loop, then on the pass that the change of every second wakes (each seen
    // at the next millisecond).
    ASSERT_GT(redraws.size(), 150u);
    for (std::size_t i = 0; i < redraws.size(); ++i) {
        EXPECT_EQ(redraws[i], start + static_cast<std::int64_t>(i) * 1000 + 1) << i;
    }
    EXPECT_EQ(mc.screen.rowText(12, 56, 68), "AOS: " + timeOfDayText(s.pass.aosLocal));
    EXPECT_EQ(mc.screen.rowText(13, 56, 68), "LOS: " + timeOfDayText(s.pass.losLocal));
}

TEST_F(MainLoopTest, AfterLosTheNextPassIsAwaitedWithoutAKey) {
    station({{34, "0"}});
    mc.clock.set(2026, 10, 10, 13, 16, 0);
    const std::int64_t start = mc.clock.millis;
    double firstLos = 0;
    watch = [&](std::int64_t) {
        if (firstLos == 0 && s.pass.found) {
            firstLos = s.pass.los;
        }
    };
    EXPECT_EQ(runUntil(start + 10 * 60'000, {"ISS"}), -1);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Tracking ISS", "Waiting for ISS"}));
    EXPECT_EQ(statusSince("Tracking ISS"), start + 1);
    EXPECT_GT(s.pass.aos, firstLos + 1.0 / 24);
    EXPECT_EQ(mc.screen.rowText(12, 61, 68), timeOfDayText(s.pass.aosLocal));
    EXPECT_EQ(mc.screen.rowText(24, 2, 79), std::string(78, ' '));
}

TEST_F(MainLoopTest, QuitAfterPassInAutomaticModeEndsTheProgramAfterLos) {
    station({{34, "1"}});
    dir.write("KELVORIN.CMD", "iss\r\n");
    mc.clock.set(2026, 10, 10, 13, 18, 0);
    const std::int64_t start = mc.clock.millis;
    EXPECT_EQ(runUntil(start + 600'000), 0);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Tracking ISS"}));
    EXPECT_EQ(mc.clock.millis, firstPassAfter(millisOf(2026, s.pass.los)));
}

TEST_F(MainLoopTest, QuitAfterPassInManualModeKeepsFollowingTheSatellite) {
    station({{34, "1"}});
    mc.clock.set(2026, 10, 10, 13, 18, 0);
    const std::int64_t start = mc.clock.millis;
    mc.keyboard.push("m");
    mc.keyboard.push("t");
    mc.keyboard.type("iss");
    EXPECT_EQ(runUntil(start + 300'000), -1);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Tracking ISS", "Waiting for ISS"}));
    EXPECT_EQ(mc.screen.rowText(22, 25, 36), "Manual      ");
}

TEST_F(MainLoopTest, ADesignationChangedWhileWaitingPassesThroughTrackingOnce) {
    station({{34, "1"}, {14, "3"}});
    dir.write("KELVORIN.CMD", "ISS\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    std::string rotatorFile;
    watch = [&](std::int64_t millis) {
        if (millis == start + 5000) {
            rotatorFile = dir.read("ROT.DAT");
            dir.write("KELVORIN.CMD", "so-50\r\n");
        }
    };
    // The tracker ends after a pass only when the pass ran to its LOS. The change ends the wait
    // at once; tracking the new satellite ends in its first pass, before any wait.
    EXPECT_EQ(runUntil(start + 8000), -1);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Waiting for ISS", "Waiting for SO-50"}));
    EXPECT_EQ(statusSince("Waiting for SO-50"), start + 5001);
    EXPECT_EQ(s.selection.lookupName, "SO-50");
    EXPECT_EQ(s.trackedDesignation, "SO-50");
    // The rotator was not driven towards the satellite it no longer follows: it stayed parked.
    EXPECT_EQ(dir.read("ROT.DAT"), rotatorFile);
    EXPECT_EQ(mc.screen.rowText(16, 37, 44), "(Parked)");
}

// KELVORIN.CMD replaced by a rename half-way through a second: the wait ends on the change, not
// on the next second, and the new satellite is waited for from that millisecond on.
TEST_F(MainLoopTest, ACommandFileReplacedByRenameIsNoticedWhileTheTrackerWaits) {
    station({{34, "1"}});
    dir.write("KELVORIN.CMD", "ISS\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    std::string dateLineAtChange;
    watch = [&](std::int64_t millis) {
        if (millis == start + 5500) {
            dir.write("KELVORIN.NEW", "SO-50\r\n");
            std::filesystem::rename(dir.path() / "KELVORIN.NEW", dir.path() / "KELVORIN.CMD");
            dateLineAtChange = mc.screen.rowText(4, 3, 23);
        }
    };
    EXPECT_EQ(runUntil(start + 8000), -1);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Waiting for ISS", "Waiting for SO-50"}));
    EXPECT_EQ(statusSince("Waiting for SO-50"), start + 5501);
    EXPECT_EQ(dateLineAtChange, "10-OCT-2026  12:00:05");
    EXPECT_EQ(s.trackedDesignation, "SO-50");
}

// Waiting, the tracker wakes once a second and for nothing else: sixty seconds are sixty waits,
// each until the first millisecond of the next second.
TEST_F(MainLoopTest, WaitingWakesOnceASecond) {
    station({{34, "1"}});
    dir.write("KELVORIN.CMD", "ISS\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    mc.sleeper.onTime = nullptr;  // nothing happens in between: the waits go straight to their ends
    mc.sleeper.recordSleeps = true;
    EXPECT_EQ(runUntil(start + 60'000), -1);
    EXPECT_EQ(s.trackedDesignation, "ISS");
    ASSERT_EQ(mc.sleeper.waits.size(), 61u);
    for (std::size_t i = 0; i < mc.sleeper.waits.size(); ++i) {
        EXPECT_EQ(mc.sleeper.waits[i], start + static_cast<std::int64_t>(i + 1) * 1000) << i;
    }
    EXPECT_TRUE(mc.sleeper.sleeps.empty());
}

// Where the directory cannot be watched, the loops poll as often as ever: the renamed file is
// still seen within a millisecond.
TEST_F(MainLoopTest, WithoutAWatchTheCommandFileIsPolledEveryMillisecond) {
    station({{34, "1"}});
    dir.write("KELVORIN.CMD", "ISS\r\n");
    mc.sleeper.watchable = false;
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    watch = [&](std::int64_t millis) {
        if (millis == start + 5500) {
            dir.write("KELVORIN.NEW", "SO-50\r\n");
            std::filesystem::rename(dir.path() / "KELVORIN.NEW", dir.path() / "KELVORIN.CMD");
        }
    };
    EXPECT_EQ(runUntil(start + 8000), -1);
    EXPECT_FALSE(mc.sleeper.fileWatched());
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Waiting for ISS", "Waiting for SO-50"}));
    EXPECT_EQ(statusSince("Waiting for SO-50"), start + 5501);
}

// A change the watch did not report (a network file system, say) is still taken within ten
// seconds.
TEST_F(MainLoopTest, AnUnreportedChangeIsTakenAtTheNextRereadTenSecondsOn) {
    station({{34, "1"}});
    dir.write("KELVORIN.CMD", "ISS\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    watch = [&](std::int64_t millis) {
        if (millis == start + 2500) {
            dir.write("KELVORIN.CMD", "AO-91\r\n");
            // A wait of no length takes the report away before the tracker's wait sees it.
            mc.sleeper.waitUntil(millis, {true, true});
        }
    };
    EXPECT_EQ(runUntil(start + 14'000), -1);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Waiting for ISS", "Waiting for AO-91"}));
    EXPECT_EQ(statusSince("Waiting for AO-91"), start + 10'001);
}

TEST_F(MainLoopTest, NoneInTheCommandFileSendsTheTrackerBackToIdling) {
    station({{34, "1"}});
    dir.write("KELVORIN.CMD", "ISS\r\n");
    mc.clock.set(2026, 10, 10, 13, 12, 0);
    const std::int64_t start = mc.clock.millis;
    watch = [&](std::int64_t millis) {
        if (millis == start + 3000) {
            dir.write("KELVORIN.CMD", "NONE\r\n");
        }
    };
    EXPECT_EQ(runUntil(start + 6000), -1);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Tracking ISS", "Idling"}));
    EXPECT_EQ(statuses.back().millis, start + 3001);
    // The value fields are blanked when the tracker goes idle.
    EXPECT_EQ(mc.screen.rowText(6, 36, 43), std::string(8, ' '));
    EXPECT_EQ(mc.screen.rowText(12, 60, 72), std::string(13, ' '));
}

TEST_F(MainLoopTest, StopKeyEndsTrackingInManualMode) {
    station({{34, "1"}});
    mc.clock.set(2026, 10, 10, 13, 12, 0);
    const std::int64_t start = mc.clock.millis;
    mc.keyboard.push("m");
    mc.keyboard.pushAt(start + 4500, "s");
    EXPECT_EQ(runUntil(start + 7000, {"iss"}), -1);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Tracking ISS", "Idling"}));
    EXPECT_EQ(statuses.back().millis, start + 4501);
}

// NOAA-18 rises about 00:18 UTC on 1 January 2027 and sets about 00:27.
TEST_F(MainLoopTest, APassAfterMidnightOnNewYearsEveIsTrackedAndEnded) {
    station({{34, "1"}});
    mc.clock.set(2026, 12, 31, 23, 58, 0);
    const std::int64_t start = mc.clock.millis;
    EXPECT_EQ(runUntil(start + 3'600'000, {"NOAA-18"}), 0);
    ASSERT_TRUE(s.pass.found);
    EXPECT_EQ(s.pass.year, 2026);
    EXPECT_GT(s.pass.aos, 366.0);  // the day numbers of the year the search started in
    const std::int64_t aos = millisOf(2026, s.pass.aos);
    const std::int64_t los = millisOf(2026, s.pass.los);
    EXPECT_GT(aos - 120'000, millisOf(2027, 1.0));
    EXPECT_EQ(statusSince("Tracking NOAA-18"), firstPassAfter(aos - 120'000) + 1);
    EXPECT_EQ(mc.clock.millis, firstPassAfter(los));
    EXPECT_EQ(mc.clock.now().year, 2027);
}

TEST_F(MainLoopTest, ASatelliteThatNeverRisesIsFollowedAndSearchedForAgainLater) {
    station({{34, "1"}});
    // An equatorial orbit at 400 km never rises above the horizon of a station at 52 degrees.
    const std::string equatorial = "EQ-1\r\n"
                                   "1 99999U 26001A   26280.50000000  .00000000  00000-0  00000-0 0  9999\r\n"
                                   "2 99999   0.0000 100.0000 0001000   0.0000   0.0000 15.50000000    09\r\n";
    dir.write("KEPS.TXT", equatorial);
    dir.write("KELVORIN.FRC", "EQ-1\r\n145900\r\n435800\r\nFM\r\nFM\r\n0\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    std::string message;
    std::string latitude;
    watch = [&](std::int64_t millis) {
        if (millis == start + 10'000) {
            message = messageLine();
            latitude = mc.screen.rowText(6, 37, 43);
            // Meanwhile the element file is updated: the satellite now crosses the station.
            std::string updated = dir.read("KEPS.TXT");
            updated.replace(updated.find("   0.0000 100.0000"), 18, "  51.6314  92.7969");
            dir.write("KEPS.TXT", updated);
        }
    };
    EXPECT_EQ(runUntil(start + 3'700'000, {"EQ-1"}), -1);
    EXPECT_EQ(message, " No pass within 10 days" + std::string(55, ' '));
    EXPECT_EQ(latitude, "   0.00");
    EXPECT_EQ(statusSince("Waiting for EQ-1"), start + 1);
    // An hour later the search runs again and finds a pass.
    ASSERT_TRUE(s.pass.found);
    EXPECT_NEAR(s.orbit.elements.inclination, 51.6314 * s.constants.radiansPerDegree, 1e-12);
    EXPECT_EQ(statuses.back().status, "Waiting for EQ-1");
    EXPECT_NE(mc.screen.rowText(12, 61, 68), std::string(8, ' '));
}

TEST_F(MainLoopTest, AnElementSetTheModelCannotFollowIsRejectedOnce) {
    station({{34, "1"}});
    dir.write("KEPS.TXT", dir.read("KEPS.TXT") +
                              "STUCK-1\r\n"
                              "1 99998U 26001A   26280.50000000  .00000000  00000-0  00000-0 0  9999\r\n"
                              "2 99998  51.6000 100.0000 0001000   0.0000   0.0000  0.00000000    09\r\n");
    dir.write("KELVORIN.CMD", "stuck-1\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    // Each load of the set shows its problem again; the message line is cleared after every pass.
    int reports = 0;
    std::string shown;
    watch = [&](std::int64_t millis) {
        if (messageLine().find("STUCK-1: ") == 1) {
            ++reports;
            shown = messageLine();
            s.showMessage("");
        }
        if (millis == start + 2000) {
            dir.write("KELVORIN.CMD", "ISS\r\n");
        }
    };
    EXPECT_EQ(runUntil(start + 3000), -1);
    EXPECT_EQ(reports, 1);
    EXPECT_GT(shown.find_last_not_of(' '), 10u);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Idling", "Waiting for ISS"}));
}

// With value 47 at 1 the pass, the screen, the rotator and the Doppler correction work on the
// SGP4 model's state: the values shown are the model's at the second of the last update.
TEST_F(MainLoopTest, WithTheSgp4ModelPassAndScreenComeFromIt) {
    station({{34, "1"}, {47, "1"}});
    mc.clock.set(2026, 10, 10, 13, 12, 0);
    const std::int64_t start = mc.clock.millis;
    EXPECT_EQ(runUntil(start + 20'000, {"ISS"}), -1);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Tracking ISS"}));

    const double radians = s.constants.radiansPerDegree;
    const ObserverSite site = observerOf(s.station);
    SatelliteOrbit orbit = satelliteOrbit(OrbitModel::sgp4, s.orbit.elements);
    const ClockTime from{2026, 10, 10, 13, 12, 0};
    SatelliteState searched;
    PassSearchDisplay quiet;
    PassSearchSettings settings;
    settings.searchStep = 1;
    ClockTime time = from;
    const PassPrediction expected = predictPass(s.constants, orbit, site, settings, time, searched, quiet);
    EXPECT_EQ(s.pass.aos, expected.aos);
    EXPECT_EQ(s.pass.los, expected.los);
    EXPECT_EQ(s.pass.maximumElevation, expected.maximumElevation);
    time = from;
    const PassPrediction builtIn =
        predictPass(s.constants, s.orbit.elements, stationPositionOf(s.station), settings, time, searched, quiet);
    EXPECT_NE(s.pass.los, builtIn.los);

    // The station stands where the configuration puts it: 52.35 degrees north, geodetic.
    EXPECT_EQ(site.geodetic.latitude, static_cast<float>(52.35 * radians));
    const Sgp4Sample sample = sampleSgp4(orbit.sgp4, site.geodetic, 2026, s.satellite.dayNumber);
    ASSERT_EQ(sample.state.error, Sgp4Error::none);
    EXPECT_NEAR(s.satellite.dayNumber, dayNumberOf(2026, 10, 10, 13, 12, 20), 1.5 / 86400);
    EXPECT_EQ(mc.screen.rowText(6, 37, 43), formatPicture("####.##", sample.look.latitude / radians));
    EXPECT_EQ(mc.screen.rowText(7, 37, 43), formatPicture("####.##", sample.look.longitude / radians));
    EXPECT_EQ(mc.screen.rowText(8, 37, 43), formatPicture("#####.#", sample.look.altitude));
    EXPECT_EQ(mc.screen.rowText(11, 37, 43), formatPicture("####.##", sample.look.azimuth / radians));
    EXPECT_EQ(mc.screen.rowText(12, 37, 43), formatPicture("####.##", sample.look.elevation / radians));
    EXPECT_EQ(mc.screen.rowText(13, 37, 43), formatPicture("#####.#", sample.look.range));
    EXPECT_EQ(mc.screen.rowText(14, 37, 43), formatPicture("####.##", -sample.look.rangeRate));
    EXPECT_EQ(s.satellite.rangeRate, sample.look.rangeRate);  // what the Doppler correction takes
}

// A set the SGP4 model refuses though the built-in model would follow it: its reason on the
// message line after the name, and the tracker idles until another satellite is chosen.
TEST_F(MainLoopTest, ASetTheSgp4ModelRefusesIsRejectedWithItsReason) {
    station({{34, "1"}, {47, "1"}});
    // 17.5 revolutions a day: an orbit inside the Earth.
    dir.write("KEPS.TXT", dir.read("KEPS.TXT") +
                              "LOW-1\r\n"
                              "1 99998U 26001A   26280.50000000  .00000000  00000-0  00000-0 0  9999\r\n"
                              "2 99998  51.6000 100.0000 0001000   0.0000   0.0000 17.50000000    09\r\n");
    dir.write("KELVORIN.CMD", "LOW-1\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    std::vector<std::string> shown;
    watch = [&](std::int64_t millis) {
        if (messageLine().find("LOW-1: ") == 1) {
            shown.push_back(messageLine());
            s.showMessage("");
        }
        if (millis == start + 2000) {
            dir.write("KELVORIN.CMD", "ISS\r\n");
        }
    };
    EXPECT_EQ(runUntil(start + 3000), -1);
    EXPECT_EQ(shown, std::vector<std::string>{messageText("LOW-1: satellite has decayed")});
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Idling", "Waiting for ISS"}));
}

// A set the SGP4 model takes at its epoch whose satellite has come down by now: the search finds
// no pass, the message line says why once, and the tracker waits as for one that never rises.
TEST_F(MainLoopTest, ASatelliteDecayedByNowIsReportedOnceAndWaitedFor) {
    station({{34, "1"}, {47, "1"}});
    // Down two and a half days after its epoch, three days before the clock.
    dir.write("KEPS.TXT", "DOWN-1\r\n"
                          "1 99997U 26001A   26280.50000000  .00000000  00000-0  10000-1 0  9999\r\n"
                          "2 99997  51.6000 100.0000 0001000   0.0000   0.0000 16.00000000    09\r\n");
    dir.write("KELVORIN.FRC", "DOWN-1\r\n145900\r\n435800\r\nFM\r\nFM\r\n0\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    std::vector<std::string> shown;
    watch = [&](std::int64_t) {
        if (messageLine().find("DOWN-1: ") == 1) {
            shown.push_back(messageLine());
            s.showMessage("");
        }
    };
    EXPECT_EQ(runUntil(start + 5000, {"DOWN-1"}), -1);
    EXPECT_FALSE(s.pass.found);
    EXPECT_EQ(s.pass.modelError, Sgp4Error::decayed);
    EXPECT_EQ(shown, std::vector<std::string>{messageText("DOWN-1: satellite has decayed")});
    EXPECT_EQ(statuses.back().status, "Waiting for DOWN-1");
    EXPECT_EQ(mc.screen.rowText(12, 37, 43), std::string(7, ' '));  // no position to show
}

TEST_F(MainLoopTest, AGeostationarySatelliteIsTrackedAtOnceWithoutPassTimes) {
    station();
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    EXPECT_EQ(runUntil(start + 5000, {"QO-100"}), -1);
    EXPECT_TRUE(s.pass.geostationary);
    // Idling is seen during the element age's message.
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Idling", "Tracking QO-100"}));
    EXPECT_EQ(mc.screen.rowText(12, 56, 72), "AOS:" + std::string(13, ' '));
    EXPECT_EQ(mc.screen.rowText(14, 56, 72), "Max El:" + std::string(10, ' '));
}

TEST_F(MainLoopTest, AFailureNobodyGuardedIsReportedAsUnexpected) {
    station();
    dir.write("KELVORIN.CMD", "NONE\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    const std::int64_t start = mc.clock.millis;
    std::string shown;
    watch = [&](std::int64_t millis) {
        if (millis == start + 10) {
            throw std::filesystem::filesystem_error("ROT.DAT", std::make_error_code(std::errc::io_error));
        }
        if (millis == start + 500) {
            shown = messageLine();
        }
    };
    mc.keyboard.pushAt(start + 1000, "x");
    EXPECT_EQ(runUntil(start + 5000), 1);
    EXPECT_EQ(shown, " Unexpected error  75. Please report to the author." + std::string(27, ' '));
    EXPECT_EQ(mc.clock.millis, start + 1000);
}

// In manual mode a satellite missing from the element file is asked for again; the file is
// searched from the top for the retyped one, and an empty answer leaves the tracker idle.
TEST_F(MainLoopTest, ARetypedDesignationIsSearchedAgainAndAnEmptyOneIdles) {
    for (const std::string retyped : {"so-50", ""}) {
        station();
        mc.clock.set(2026, 10, 10, 12, 0, 0);
        tracker.startUp({});
        const std::int64_t start = mc.clock.millis;
        s.selectionMode = SelectionMode::keyboard;
        s.selection = {"XO-99", "XO-99"};
        s.pass = PassPrediction{};
        mc.keyboard.pushAt(start + 1000, "x");
        for (const char c : retyped + "\r") {
            mc.keyboard.pushAt(start + 2000, std::string(1, c));
        }
        mc.sleeper.limitMillis = start + 10'000;
        try {
            tracker.mainCycle();
        } catch (const SimulatedTimeExhausted&) {
        }
        EXPECT_EQ(s.selection.satelliteDesignation, retyped.empty() ? "" : "SO-50") << retyped;
        EXPECT_EQ(s.pass.found, !retyped.empty()) << retyped;
    }
}

TEST_F(MainLoopTest, StartUpOpensTheConfiguredSerialLinks) {
    station({{15, "4800"}, {16, "1"}, {19, "2"}, {20, "19200"}, {37, "3"}, {38, "115200"}});
    tracker.startUp({});
    EXPECT_NE(s.rotatorLink.get(), nullptr);
    EXPECT_NE(s.radioLink.get(), nullptr);
    EXPECT_NE(s.gpsLink.get(), nullptr);
    EXPECT_EQ(mc.serialPorts.bauds, (std::map<int, std::int32_t>{{1, 4800}, {2, 19200}, {3, 115200}}));
    EXPECT_EQ(mc.clock.millis, 0);
}

TEST_F(MainLoopTest, AFailedSerialLinkSwitchesItsDeviceOff) {
    station({{16, "1"}, {19, "2"}, {37, "3"}});
    mc.serialPorts.failing = {1, 2, 3};
    std::vector<std::string> messages;
    watch = [&](std::int64_t) {
        std::string message = mc.screen.rowText(24, 3, 79);
        messages.push_back(message.erase(message.find_last_not_of(' ') + 1));
    };
    tracker.startUp({});
    EXPECT_EQ(messages, (std::vector<std::string>{"Could not open rotator port. Switching off rotator control.",
                                                  "Could not open radio port. Switching off radio control.",
                                                  "Could not open GPS port. Switching off GPS support."}));
    EXPECT_EQ(s.station.rotatorPort, 0);
    EXPECT_EQ(s.station.radioPort, 0);
    EXPECT_EQ(s.station.gpsPort, 0);
    EXPECT_EQ(s.rotatorLink.get(), nullptr);
}

TEST_F(MainLoopTest, MissingFlipFileIsReportedAndTheTrackerGoesOn) {
    station({{10, "1"}});
    std::remove((dir.path() / "KVFLIP.DAT").c_str());
    s.rotator.flipState = 1;
    std::string shown;
    watch = [&](std::int64_t millis) {
        if (millis == 2000) {
            shown = mc.screen.rowText(24, 3, 53);
        }
    };
    tracker.startUp({});
    EXPECT_EQ(shown, "Could not find KVFLIP.DAT file. Continuing without.");
    EXPECT_EQ(s.rotator.flipState, 0);
    EXPECT_EQ(mc.clock.millis, 2000);
    EXPECT_EQ(mc.screen.rowText(2, 3, 18), "KELVORIN 4.1 dev");
}

TEST_F(MainLoopTest, ParkedIsShownWhileIdle) {
    station({{11, "1"}});
    dir.write("KELVORIN.CMD", "NONE\r\n");
    mc.clock.set(2026, 10, 10, 12, 0, 0);
    EXPECT_EQ(runUntil(mc.clock.millis + 50), -1);
    EXPECT_EQ(mc.screen.rowText(16, 37, 44), "(Parked)");
    EXPECT_EQ(statusLine(), "Idling" + std::string(34, ' '));
}

}  // namespace
}  // namespace station::trackertest
