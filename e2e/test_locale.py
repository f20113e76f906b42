"""Both programs show and write the same numbers whatever the operator's locale: a run under
de_DE.UTF-8 (decimal comma) equals the run under C.UTF-8 at the same frozen instant, screen and
files alike. The test command generates de_DE.UTF-8; without it these tests fail, they never
skip."""

import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Program, StationDir, binary, station_config  # noqa: E402

COMMA_LOCALE = "de_DE.UTF-8"
POINT_LOCALE = "C.UTF-8"
# Mid-pass of ISS over the demo station (AOS about 13:09, LOS about 13:19 UTC).
ISS_MID_PASS = "2026-10-10 13:14:00"
SNAPSHOT_CLOCK = "10-OCT-2026  13:14:02"
# Before the scheduler's first pass of the day: the schedule and the live panel are full.
SCHEDULER_INSTANT = "2026-10-10 12:00:00"
WRITTEN_FILES = ("ROT.DAT", "radio.dat", "KVFLIP.DAT")


def require_comma_locale(test):
    listed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    if not any(name.lower().replace("-", "") == "de_de.utf8" for name in listed):
        test.fail("the locale %s is not installed (as root: apt-get install locales && "
                  "localedef -i de_DE -f UTF-8 de_DE.UTF-8); scripts/test.sh does this" % COMMA_LOCALE)


def locale_environment(name):
    return {"LANG": name, "LC_ALL": name, "LC_NUMERIC": name}


def settled_screen(program, quiet_seconds=1.5, timeout=30):
    """The screen once the program has sent nothing for `quiet_seconds` (the clock is frozen, so
    nothing changes any more)."""
    deadline = time.monotonic() + timeout
    quiet_since = time.monotonic()
    while time.monotonic() - quiet_since < quiet_seconds:
        if program.pump(0.1):
            quiet_since = time.monotonic()
        if time.monotonic() > deadline:
            raise AssertionError("the screen did not settle; screen:\n%s" % program.dump())
    return program.screen_text()


class TrackerUnderLocales(unittest.TestCase):
    def track(self, locale, config=None):
        """Screen and written files of the tracker following ISS mid-pass under `locale`, taken
        within one clock second. The tracker moves the rotator and the radio only when its clock
        second changes, so the clock runs, slowly: a second lasts four, time enough to take both."""
        files = {"KELVORIN.CMD": "ISS\r\n", "KVFLIP.DAT": " 0 \r\n"}
        if config is not None:
            files["KELVORIN.CFG"] = config
        with StationDir(files=files) as station, \
                Program([binary("KELVORIN")], station, faketime=ISS_MID_PASS, speed=0.25,
                        env=locale_environment(locale)) as program:
            program.wait_for("Tracking ISS", row=4, timeout=30)
            program.wait_for(SNAPSHOT_CLOCK, row=4, column=3, timeout=30)
            screen = settled_screen(program, quiet_seconds=1)
            written = {name: station.read(name) if station.exists(name) else None for name in WRITTEN_FILES}
            program.pump(0)
            self.assertEqual(program.text_at(4, 3, 21), SNAPSHOT_CLOCK,
                             "the clock second ended before the screen and the files were taken")
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)
            return screen, written

    def test_screen_and_files_equal_those_under_the_point_locale(self):
        require_comma_locale(self)
        point_screen, point_files = self.track(POINT_LOCALE)
        comma_screen, comma_files = self.track(COMMA_LOCALE)
        self.assertEqual(comma_screen, point_screen)
        self.assertEqual(comma_files, point_files)
        # The comparison sees numbers: the satellite's position carries decimal points, and the
        # demo's "52.35 degrees north" is read whole (52 would move every look angle).
        self.assertRegex(point_screen.splitlines()[5], r"Latitude: +-?\d+\.\d\d")
        for name in WRITTEN_FILES:
            self.assertIsNotNone(point_files[name], name)
            self.assertNotIn(b",", point_files[name], name)
        whole_degrees_screen, _ = self.track(POINT_LOCALE, station_config(v3="52"))
        self.assertNotEqual(whole_degrees_screen.splitlines()[11], comma_screen.splitlines()[11],
                            "the elevation does not depend on the latitude's decimals")


class SchedulerUnderLocales(unittest.TestCase):
    def schedule(self, locale):
        with StationDir() as station, \
                Program([binary("MIRADOS")], station, faketime=SCHEDULER_INSTANT, frozen=True,
                        env=locale_environment(locale)) as program:
            program.wait_for("Waiting for", row=4, timeout=60)
            screen = settled_screen(program)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)
            return screen

    def test_screen_equals_the_one_under_the_point_locale(self):
        require_comma_locale(self)
        point_screen = self.schedule(POINT_LOCALE)
        comma_screen = self.schedule(COMMA_LOCALE)
        self.assertEqual(comma_screen, point_screen)
        self.assertRegex(point_screen, r"\d\.\d")


if __name__ == "__main__":
    unittest.main()
