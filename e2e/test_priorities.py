"""Two scheduled passes that overlap over the demo station: AO-91 from 07:41:23 to 07:53:55 and
SO-50 from about 07:51:17 on 10 October 2026 (UTC). With SO-50 first in the list under overlap
rule 1, AO-91's job is ended 60 s before SO-50's AOS and SO-50's job starts at its AOS; a
MIRADOS.CFG without the rule lets AO-91's job run on, and SO-50's job waits for it."""

import datetime
import os
import subprocess
import time
import unittest

from harness import FakeClock, Program, StationDir, binary, clock_text, faketime_library, mirados_cfg

START = datetime.datetime(2026, 10, 10, 7, 40, 30)
UTC = {"TZ": "UTC"}
# Notes when it starts and when it is asked to end; runs until the file "release" exists.
JOB = ('echo "%s start $(date -u +%%H:%%M:%%S)" >> jobs.log\n'
       'trap \'echo "%s term $(date -u +%%H:%%M:%%S)" >> jobs.log; exit 0\' TERM\n'
       'while [ ! -e release ]; do sleep 1; done\n')


def seconds(text):
    return datetime.datetime.strptime(text, "%H:%M:%S")


def station_files(mirados):
    return {"MIRADOS.CFG": mirados, "SO-50.BAT": JOB % ("SO-50", "SO-50"), "AO-91.BAT": JOB % ("AO-91", "AO-91")}


def job_events(station):
    if not station.exists("jobs.log"):
        return []
    return [tuple(line.split()) for line in station.read_text("jobs.log").splitlines()]


class OverlapRules(unittest.TestCase):
    def run_until(self, program, station, count):
        program.wait_until(lambda: len(job_events(station)) >= count, timeout=60, message="%d job events" % count)
        return job_events(station)

    def test_the_pass_of_higher_priority_takes_its_window(self):
        with StationDir(files=station_files(mirados_cfg("SO-50", "AO-91") + "; overlap rule\n1\n")) as station:
            environment = dict(os.environ, LD_PRELOAD=faketime_library() or "", FAKETIME="@" + clock_text(START),
                               FAKETIME_DONT_RESET="1", **UTC)
            listed = subprocess.run([binary("MIRADOS"), "--passes", "1"], cwd=station.path, env=environment,
                                    capture_output=True, text=True, timeout=60, check=True).stdout
            self.assertRegex(listed, r"AO-91 +scheduled +07:41:2\d  07:53:5\d .* cut to 07:41:2\d-07:50:1\d for SO-50")
            with FakeClock(START, speed=10) as clock, \
                    Program([binary("MIRADOS")], station, faketime=clock, env=UTC) as program:
                program.wait_for("Waiting for AO-91", row=4, timeout=30)
                self.assertRegex(program.text_at(8, 3, 28), r"AO-91    07:41:2\d  07:50:1\d\*")
                self.run_until(program, station, 1)
                clock.step(datetime.timedelta(minutes=8))
                events = self.run_until(program, station, 3)
                station.write("release", "")
                program.wait_for("Waiting for", row=4, timeout=30)
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)
            self.assertEqual([event[:2] for event in events], [("AO-91", "start"), ("AO-91", "term"), ("SO-50", "start")])
            cut, start = seconds(events[1][2]), seconds(events[2][2])
            self.assertTrue(58 <= (start - cut).total_seconds() <= 62, events)
            self.assertIn(events[2][2][:7], ("07:51:1", "07:51:2"))
            log = station.read_text("MIRADOS.LOG")
            self.assertRegex(log, r"Plan: AO-91 cut to AOS 2026-10-10T07:41:2\dZ, LOS 2026-10-10T07:50:1\dZ.*: "
                                  r"SO-50 has priority")
            self.assertRegex(log, r"Job AO-91.BAT ended at 07:50:1\d: SO-50 has priority.")

    def test_without_a_rule_the_earlier_job_runs_to_its_end(self):
        with StationDir(files=station_files(mirados_cfg("SO-50", "AO-91"))) as station:
            with FakeClock(START, speed=10) as clock, \
                    Program([binary("MIRADOS")], station, faketime=clock, env=UTC) as program:
                program.wait_for("Waiting for AO-91", row=4, timeout=30)
                self.run_until(program, station, 1)
                clock.step(datetime.timedelta(minutes=10))
                time.sleep(2)  # twenty seconds of the station's clock past SO-50's AOS
                self.assertEqual(len(job_events(station)), 1)
                station.write("release", "")
                events = self.run_until(program, station, 2)
                program.wait_for("Waiting for", row=4, timeout=30)
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)
            self.assertEqual([event[:2] for event in events], [("AO-91", "start"), ("SO-50", "start")])
            self.assertGreater(seconds(events[1][2]), seconds("07:51:30"))


if __name__ == "__main__":
    unittest.main()
