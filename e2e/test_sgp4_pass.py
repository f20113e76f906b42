"""The tracker on the SGP4/SDP4 model (value 47 of KELVORIN.CFG at 1) against the reference model
of Debian's python3-sgp4, used as a black box with the look angles of orbit/tests/make_sgp4_data.py:
the pass of the ISS over the demo station on 10 October 2026 (about 13:09 to 13:19 UTC).

The reference pass is the reference model's own: its horizon crossings and its peak found to the
millisecond. The tracker's search reports a crossing one fine step (a fiftieth of the search step)
after the first fine sample past it, wherever its grid of samples lies, so the times it shows are
bounded by the crossings and the fine step, not equal to any one grid's."""

import os
import sys
import unittest

import numpy as np

from harness import Program, StationDir, binary, source_dir, station_config

sys.path.insert(0, os.path.join(source_dir(), "orbit", "tests"))
import make_sgp4_data as reference  # noqa: E402  (the look angles of the reference data)
from sgp4.api import WGS72, Satrec  # noqa: E402

STATION = (52.35, 4.92)  # values 3 and 4 of the demo station: geodetic, on WGS-84
SEARCH_START = 283 + (13 * 60 + 5) / 1440  # 10 October 2026 13:05 UTC, as a day number
FINE_STEP_SECONDS = 60 / 50  # value 6, the search step, is 60 seconds
FLIP_FILE = {"KVFLIP.DAT": " 0 \r\n"}


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


def reference_pass(orbit, day_number):
    """AOS and LOS (day numbers of 2026) and maximum elevation (degrees) of the reference model's
    first pass that rises after day_number."""
    def elevation(day):
        return orbit.look(2026, day)[1]

    def crossing(before, after):
        while after - before > 0.001 / 86400:
            middle = (before + after) / 2
            if (elevation(middle) > 0) == (elevation(after) > 0):
                after = middle
            else:
                before = middle
        return after

    step = 10 / 86400
    day = day_number
    while elevation(day) > 0:
        day += step
    while not elevation(day) > 0:
        day += step
    aos = crossing(day - step, day)
    while elevation(day) > 0:
        day += step
    los = crossing(day - step, day)
    # One peak per pass: narrow the span around it by thirds.
    low, high = aos, los
    while high - low > 0.001 / 86400:
        third = (high - low) / 3
        if elevation(low + third) < elevation(high - third):
            low += third
        else:
            high -= third
    return aos, los, elevation(low)


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
        # Shown one to two fine steps after the crossing, then truncated to the second; a few
        # hundredths of a second for the single-precision minute field.
        for shown_seconds, crossing in ((aos, expected_aos), (los, expected_los)):
            late = shown_seconds - (crossing - 283) * 86400
            self.assertGreaterEqual(late, FINE_STEP_SECONDS - 1 - 0.05)
            self.assertLessEqual(late, 2 * FINE_STEP_SECONDS + 0.05)
        # The highest fine sample lies within a fine step of the peak; the screen shows tenths.
        self.assertLessEqual(abs(expected_maximum - maximum), 0.05 + 0.01)

    def test_pass_times_from_a_known_search_start(self):
        # A clock standing still at 13:05:00: the search starts on a grid from there.
        expected = reference_pass(self.orbit, SEARCH_START)
        with kelvorin(self.station, "2026-10-10 13:05:00", frozen=True) as program:
            shown = self.shown_pass(program)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)
        self.assert_pass_matches(shown, expected)

    def test_a_tracked_pass_follows_the_reference(self):
        expected = reference_pass(self.orbit, SEARCH_START)
        compared = 0
        with kelvorin(self.station, "2026-10-10 13:08:00", speed=20) as program:
            program.wait_for("Tracking ISS", row=4, column=40, timeout=30)
            # The search started a few seconds after 13:08:00, on a grid of its own.
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
