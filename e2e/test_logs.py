"""The logs of an unattended station: the scheduler hands a pass to the tracker under faketime,
and MIRADOS.LOG and KELVORIN.LOG tell what happened, with UTC times; a log that cannot be
written is reported once and stops nothing."""

import datetime
import os
import re
import subprocess
import unittest

from harness import Program, StationDir, binary, clock_text, faketime_library, mirados_cfg

START = datetime.datetime(2026, 10, 10, 0, 0, 0)
UTC = {"TZ": "UTC"}
TIME = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ"
PASS = r"AOS (%s), LOS (%s), maximum elevation \d+\.\d degrees" % (TIME, TIME)


def first_high_pass(station, entry):
    """AOS of the entry's first pass above the minimum, from mirados --passes --csv."""
    environment = dict(os.environ, LD_PRELOAD=faketime_library(), FAKETIME=clock_text(START),
                       FAKETIME_DONT_RESET="1", **UTC)
    listed = subprocess.run([binary("MIRADOS"), "--passes", "1", "--csv"], cwd=station.path, env=environment,
                            capture_output=True, text=True, timeout=60, check=True).stdout
    for line in listed.splitlines()[1:]:
        date, name, _, aos, _, _, _, _, clears = line.split(",")
        if name == entry and clears == "yes":
            return datetime.datetime.fromisoformat(date + " " + aos)
    raise AssertionError("no pass of %s in\n%s" % (entry, listed))


def events(station, name):
    """The log's lines as (time, text); every line must have the form."""
    result = []
    for line in station.read_text(name).splitlines():
        match = re.fullmatch(r"(%s) (.*)" % TIME, line)
        if match is None:
            raise AssertionError("not a log line: %r" % line)
        result.append((datetime.datetime.strptime(match.group(1), "%Y-%m-%dT%H:%M:%SZ"), match.group(2)))
    return result


class PassAndJob(unittest.TestCase):
    def test_the_scheduler_and_the_tracker_log_the_job_and_the_pass(self):
        if faketime_library() is None:
            raise unittest.SkipTest("libfaketime is not installed")
        job = '"%s" iss\n' % binary("KELVORIN")
        # A log at its limit: the first line of this run starts a new one.
        old = ("2026-10-09T00:00:00Z " + "x" * 60 + "\n") * 12195
        files = {"MIRADOS.CFG": mirados_cfg("ISS"), "ISS.BAT": job, "MIRADOS.LOG": old}
        with StationDir(files=files) as station:
            aos = first_high_pass(station, "ISS")
            start = aos - datetime.timedelta(seconds=40)
            with Program([binary("MIRADOS")], station, faketime=clock_text(start), speed=20, env=UTC) as program:
                program.wait_for("SATELLITE TRACKING SYSTEM", row=2, timeout=30)
                program.wait_for("SATELLITE PASS SCHEDULER", row=2, timeout=120)
                program.wait_for("Waiting for ISS", row=4)
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)

            self.assertEqual(station.read_text("MIRADOS.LOG.1"), old)
            scheduler = events(station, "MIRADOS.LOG")
            texts = [text for _, text in scheduler]
            self.assertEqual(texts[0], "MIRADOS 2.0 started")
            waiting = re.fullmatch(r"Waiting for ISS: " + PASS, texts[1])
            self.assertIsNotNone(waiting, texts[1])
            self.assertEqual(waiting.group(1), aos.strftime("%Y-%m-%dT%H:%M:%SZ"))
            self.assertEqual(texts[2], "Job ISS.BAT started for the pass " + texts[1][len("Waiting for ISS: "):])
            self.assertEqual(texts[3], "Job ISS.BAT ended (exit status 0)")
            self.assertRegex(texts[4], r"^Waiting for ISS: " + PASS + "$")
            self.assertNotEqual(texts[4], texts[1])
            self.assertEqual(texts[-1], "Ended (exit status 0)")
            if os.environ.get("SHOW_LOGS"):
                print(station.read_text("MIRADOS.LOG") + station.read_text("KELVORIN.LOG"))
            # The job started at AOS and ended after the LOS of its pass.
            started, ended = scheduler[2][0], scheduler[3][0]
            los = datetime.datetime.strptime(waiting.group(2), "%Y-%m-%dT%H:%M:%SZ")
            self.assertGreaterEqual(started, aos)
            self.assertLessEqual(started, aos + datetime.timedelta(seconds=30))
            # Both in whole seconds of the log: the job may end in the second of the LOS.
            self.assertGreaterEqual(ended, los)

            tracker = events(station, "KELVORIN.LOG")
            texts = [text for _, text in tracker]
            self.assertEqual(texts[0], "KELVORIN 4.1 dev started: command line iss")
            # The demo station has no flip file yet: the message shown is logged too.
            self.assertEqual(texts[1], "Could not find KVFLIP.DAT file. Continuing without.")
            self.assertEqual(texts[2], "Satellite ISS selected (command line)")
            passed = re.fullmatch(r"Pass of ISS: " + PASS + r", azimuth \d+ to \d+", texts[3])
            self.assertIsNotNone(passed, texts[3])
            # The same pass; the tracker's constants differ a little from the scheduler's.
            tracked_aos = datetime.datetime.strptime(passed.group(1), "%Y-%m-%dT%H:%M:%SZ")
            self.assertLessEqual(abs((tracked_aos - aos).total_seconds()), 10)
            self.assertEqual(texts[4:], ["Waiting for ISS", "Tracking ISS", "LOS of ISS: end of pass",
                                         "Ended (exit status 0)"])
            # Within the job's run, in order, the LOS line at the LOS.
            times = [moment for moment, _ in tracker]
            self.assertEqual(times, sorted(times))
            self.assertGreaterEqual(times[0], started)
            self.assertLessEqual(times[-1], ended)
            self.assertGreaterEqual(tracker[6][0], los)
            self.assertLessEqual(tracker[6][0], los + datetime.timedelta(seconds=30))


class UnwritableLog(unittest.TestCase):
    def test_the_tracker_reports_it_once_and_goes_on(self):
        with StationDir(files={"KVFLIP.DAT": " 0 \r\n"}) as station:
            os.mkdir(station.file("KELVORIN.LOG"))
            with Program([binary("KELVORIN"), "iss"], station, faketime="2026-10-10 12:00:00", env=UTC) as program:
                program.wait_for("Log KELVORIN.LOG not written (Is a directory); trying again later.", row=24)
                program.wait_for("Waiting for ISS", row=4, column=40)
                program.wait_for("AOS: 13:09", row=12, column=56)
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)
            self.assertTrue(os.path.isdir(station.file("KELVORIN.LOG")))


if __name__ == "__main__":
    unittest.main()
