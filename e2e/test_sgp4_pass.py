"""The tracker on the SGP4/SDP4 model (value 47 of KELVORIN.CFG at 1) against the reference model
of Debian's python3-sgp4, used as a black box with the look angles of orbit/tests/make_sgp4_data.py:
the pass of the ISS over the demo station on 10 October 2026 (about 13:09 to 13:19 UTC).

The reference pass is found by stepping the reference model with the tracker's own rules: the
clock's minute field moves in single precision, coarse steps of the search step S until the
satellite is up, then from 2 S back in fine steps of S/50 to the AOS (the instant after the first
fine sample above the horizon), the same down to the LOS, and the maximum refined in fine steps
from one coarse step before the best coarse sample."""

import os
import sys
import unittest

import numpy as np

from harness import Program, StationDir, binary, source_dir, station_config

sys.path.insert(0, os.path.join(source_dir(), "orbit", "tests"))
import make_sgp4_data as reference  # noqa: E402  (the look angles of the reference data)
from sgp4.api import WGS72, Satrec  # noqa: E402

STATION = (52.35, 4.92)  # values 3 and 4 of the demo station: geodetic, on WGS-84
SEARCH_START = (2026, 10, 10, 13, 5, 0)
STEP_MINUTES = np.float32(1)  # value 6: 60 seconds
FINE_STEP_SECONDS = 60 / 50
FLIP_FILE = {"KVFLIP.DAT": " 0 \r\n"}


def days_before_month(month, year):
    days = [0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
    total = sum(days[:month])
    return total + (1 if year % 4 == 0 and month > 2 else 0)


class ReferenceOrbit:
    def __init__(self, line1, line2):
        self.satellite = Satrec.twoline2rv(line1, line2, WGS72)
        self.here = reference.station_position(*STATION)

    def look(self, year, day_number):
        """Azimuth and elevation (degrees), range (km) and range rate (km/s, approaching positive)."""
        jd, fraction = reference.julian_date(year, day_number)
        error, r, v = self.satellite.sgp4(jd, fraction)
        if error:
            raise AssertionError("reference SGP4 error %d" % error)
        fixed, moving = reference.earth_fixed(r, jd + fraction, v)
        seen = fixed - self.here
        azimuth, elevation, rng = reference.topocentric(seen, *STATION)
        return azimuth, elevation, rng, -np.dot(seen, moving) / rng


class ReferenceSearch:
    """The pass search on clock fields, the minute moving in single precision."""

    def __init__(self, orbit, year, month, day, hour, minute, second):
        self.orbit = orbit
        self.year = year
        self.base = days_before_month(month, year) + day + hour / 24 + second / 86400
        self.minute = np.float32(minute)

    def now(self):
        return self.base + float(self.minute) / 1440

    def scan(self, step, keep_going, after=None):
        while True:
            sample_minute = self.minute
            elevation = self.orbit.look(self.year, self.now())[1]
            self.minute = np.float32(self.minute + step)
            if after:
                after(sample_minute, elevation)
            if not keep_going(elevation):
                return

    def next_pass(self, horizon=0.0):
        step = STEP_MINUTES
        fine = np.float32(step / np.float32(50))
        self.scan(step, lambda e: not e > horizon)
        self.minute = np.float32(self.minute - np.float32(2) * step)
        self.scan(fine, lambda e: not e > horizon)
        aos, aos_minute = self.now(), self.minute
        best = {"elevation": horizon, "minute": self.minute}

        def coarse_maximum(minute, elevation):
            if elevation > best["elevation"]:
                best.update(elevation=elevation, minute=minute)

        self.scan(step, lambda e: e >= horizon, coarse_maximum)
        self.minute = max(np.float32(self.minute - np.float32(2) * step), aos_minute)
        self.scan(fine, lambda e: e >= horizon)
        los = self.now()
        self.minute = np.float32(best["minute"] - step)
        maximum = [horizon]

        def climb(_, elevation):
            if elevation > maximum[0]:
                maximum[0] = elevation

        self.scan(fine, lambda e: not e > maximum[0])
        self.scan(fine, lambda e: e >= maximum[0], climb)
        return aos, los, maximum[0]


def seconds_of_day(text):
    hours, minutes, seconds = (int(part) for part in text.split(":"))
    return hours * 3600 + minutes * 60 + seconds


def iss_lines(station):
    lines = station.read_text("KEPS.TXT").splitlines()
    index = [line.strip() for line in lines].index("ISS")
    return lines[index + 1].strip(), lines[index + 2].strip()


def kelvorin(station, faketime, speed=None, frozen=False):
    return Program([binary("KELVORIN"), "ISS"], station, faketime=faketime, speed=speed, frozen=frozen)


class Sgp4PassTest(unittest.TestCase):
    def setUp(self):
        self.station = StationDir(files=dict(FLIP_FILE, **{"KELVORIN.CFG": station_config(v47="1")}))
        self.addCleanup(self.station.cleanup)
        self.orbit = ReferenceOrbit(*iss_lines(self.station))

    def shown_pass(self, program):
        program.wait_for("Waiting for ISS", row=4, column=40, timeout=30)
        program.wait_until(lambda: program.text_at(12, 61, 8).strip() != "", message="pass times")
        return (seconds_of_day(program.text_at(12, 61, 8)), seconds_of_day(program.text_at(13, 61, 8)),
                float(program.text_at(14, 64, 5)))

    def assert_pass_matches(self, shown, expected):
        aos, los, maximum = shown
        expected_aos, expected_los, expected_maximum = expected
        # The screen truncates to the second; one fine step is 1.2 s.
        self.assertLessEqual(abs((expected_aos - 283) * 86400 - aos), FINE_STEP_SECONDS)
        self.assertLessEqual(abs((expected_los - 283) * 86400 - los), FINE_STEP_SECONDS)
        self.assertLessEqual(abs(expected_maximum - maximum), 0.05 + 1e-9)

    def test_pass_times_from_a_known_search_start(self):
        # A clock standing still at 13:05:00: the search starts exactly where the reference's does.
        expected = ReferenceSearch(self.orbit, *SEARCH_START).next_pass()
        with kelvorin(self.station, "2026-10-10 13:05:00", frozen=True) as program:
            shown = self.shown_pass(program)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)
        self.assert_pass_matches(shown, expected)

    def test_a_tracked_pass_follows_the_reference(self):
        expected = ReferenceSearch(self.orbit, *SEARCH_START).next_pass()
        compared = 0
        with kelvorin(self.station, "2026-10-10 13:08:00", speed=20) as program:
            program.wait_for("Tracking ISS", row=4, column=40, timeout=30)
            # The search started a few seconds after 13:08:00: its grid of fine steps lies
            # elsewhere than the reference's, by less than one fine step.
            self.assert_pass_matches((seconds_of_day(program.text_at(12, 61, 8)),
                                      seconds_of_day(program.text_at(13, 61, 8)),
                                      float(program.text_at(14, 64, 5))), expected)
            while program.alive() and compared < 20:
                program.pump(0.2)
                # A snapshot taken while the second's redraw is still arriving mixes two seconds:
                # only a screen that stays quiet a little while is compared.
                if program.pump(0.01):
                    continue
                clock = program.text_at(4, 16, 8)
                values = [program.text_at(row, 37, 7).strip() for row in (11, 12, 13, 14)]
                if not program.text_at(4, 40, 12) == "Tracking ISS" or "" in values:
                    continue
                # The values belong to the second on the date and time line, or to the one before
                # when the snapshot caught the line already redrawn.
                second = seconds_of_day(clock)
                azimuth, elevation, rng, rate = (float(value) for value in values)
                matches = []
                for at in (second, second - 1):
                    a, e, r, v = self.orbit.look(2026, 283 + at / 86400)
                    matches.append(abs((azimuth - a + 180) % 360 - 180) <= 0.011 and abs(elevation - e) <= 0.011
                                   and abs(rng - r) <= 0.06 and abs(-rate - v) <= 0.006)
                self.assertTrue(any(matches), "%s: %s" % (clock, values))
                compared += 1
            self.assertGreaterEqual(compared, 20)
            # The demo station ends the tracker after the pass in command-line mode.
            self.assertEqual(program.wait_exit(timeout=120), 0)


if __name__ == "__main__":
    unittest.main()
