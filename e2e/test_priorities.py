"""Two overlapping passes over the demo station on 10 October 2026 (UTC), AO-91 from 07:41:24
to 07:53:55 and SO-50 from 07:51:17: SO-50 first under overlap rule 1, by AOS without a rule."""

import datetime
import subprocess
import unittest

from harness import FakeClock, Program, StationDir, binary, clock_text, faketime_library, mirados_cfg

START = datetime.datetime(2026, 10, 10, 7, 40, 30)
# Notes its start and the request to end; runs until the file "release" exists.
JOB = ('echo "%s start $(date -u +%%T)" >> jobs.log\n'
       'trap \'echo "%s term $(date -u +%%T)" >> jobs.log; exit 0\' TERM\n'
       'while [ ! -e release ]; do sleep 1; done\n')


def overlap_run(test, mirados, cut):
    """The pass list, schedule row 8, the jobs' (entry, event, seconds after START), MIRADOS.LOG."""
    files = {"MIRADOS.CFG": mirados, "SO-50.BAT": JOB % ("SO-50", "SO-50"), "AO-91.BAT": JOB % ("AO-91", "AO-91")}
    with StationDir(files=files) as station, FakeClock(START, speed=10) as clock:
        environment = {"LD_PRELOAD": faketime_library() or "", "TZ": "UTC", "FAKETIME": "@" + clock_text(START)}
        listed = subprocess.run([binary("MIRADOS"), "--passes", "1"], cwd=station.path, env=environment,
                                capture_output=True, text=True, check=True).stdout
        with Program([binary("MIRADOS")], station, faketime=clock, env={"TZ": "UTC"}) as program:
            def events():
                lines = station.read_text("jobs.log").splitlines() if station.exists("jobs.log") else []
                return [(entry, event, sum(int(n) * f for n, f in zip(at.split(":"), (3600, 60, 1))) - 27630)
                        for entry, event, at in (line.split() for line in lines)]
            program.wait_for("Waiting for AO-91", row=4, timeout=30)
            row = program.text_at(8, 3, 28)
            program.wait_until(lambda: len(events()) == 1, timeout=30, message="the first job")
            clock.step(datetime.timedelta(minutes=8 if cut else 10))
            program.wait_until(lambda: len(events()) == 3 or not cut, timeout=30, message="the second job")
            station.write("release", "")
            program.wait_until(lambda: len(events()) == (3 if cut else 2), timeout=30, message="the second job")
            program.wait_for("Waiting for", row=4, timeout=30)
            program.send("q")
            test.assertEqual(program.wait_exit(), 0)
            return listed, row, events(), station.read_text("MIRADOS.LOG")


class OverlapRules(unittest.TestCase):
    def test_the_later_pass_first_under_rule_1(self):
        listed, row, events, log = overlap_run(self, mirados_cfg("SO-50", "AO-91") + "; overlap rule\n1\n", True)
        self.assertRegex(listed, r"AO-91 .* 07:53:5\d .* cut to 07:41:2\d-07:50:1\d for SO-50")
        self.assertRegex(row, r"AO-91    07:41:2\d  07:50:1\d\*")
        self.assertEqual([e[:2] for e in events], [("AO-91", "start"), ("AO-91", "term"), ("SO-50", "start")])
        self.assertTrue(58 <= events[2][2] - events[1][2] <= 62 and 646 <= events[2][2] <= 650, events)
        self.assertRegex(log, r"Plan: AO-91 cut to AOS \S+, LOS 2026-10-10T07:50:1\dZ.*: SO-50 has priority")
        self.assertRegex(log, r"Job AO-91.BAT ended at 07:50:1\d: SO-50 has priority.")

    def test_by_aos_without_a_rule(self):
        listed, row, events, _ = overlap_run(self, mirados_cfg("SO-50", "AO-91"), False)
        self.assertNotIn("Fate", listed)
        self.assertRegex(row, r"AO-91    07:41:2\d  07:53:5\d ")
        self.assertEqual([e[:2] for e in events], [("AO-91", "start"), ("SO-50", "start")])
        self.assertGreater(events[1][2], 652, events)


if __name__ == "__main__":
    unittest.main()
