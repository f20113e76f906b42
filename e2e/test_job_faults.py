"""Jobs that fail or never end, met by the scheduler of a station nobody watches: a tracker
whose element file is gone ends by itself with status 1 and the scheduler reports the failure;
a job still running an hour after its pass's LOS is ended with everything it started. Either
way the schedule goes on."""

import datetime
import os
import re
import subprocess
import time
import unittest

from harness import FakeClock, Program, StationDir, binary, clock_text, faketime_library, mirados_cfg

START = datetime.datetime(2026, 10, 10, 0, 0, 0)
UTC = {"TZ": "UTC"}
TIME = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ"


def scheduled_passes(station, entry):
    """(AOS, LOS) of the entry's passes above the minimum on the day of START, from
    mirados --passes --csv (the station's clock is on UTC)."""
    if faketime_library() is None:
        raise AssertionError("libfaketime is not installed")
    environment = dict(os.environ, LD_PRELOAD=faketime_library(), FAKETIME=clock_text(START),
                       FAKETIME_DONT_RESET="1", **UTC)
    listed = subprocess.run([binary("MIRADOS"), "--passes", "1", "--csv"], cwd=station.path, env=environment,
                            capture_output=True, text=True, timeout=60, check=True).stdout
    passes = []
    for line in listed.splitlines()[1:]:
        date, name, _, aos_text, los_text, _, _, _, clears = line.split(",")
        if name == entry and clears == "yes":
            aos = datetime.datetime.fromisoformat(date + " " + aos_text)
            los = datetime.datetime.fromisoformat(date + " " + los_text)
            passes.append((aos, los if los > aos else los + datetime.timedelta(days=1)))
    if len(passes) < 2:
        raise AssertionError("fewer than two passes of %s in\n%s" % (entry, listed))
    return passes


def events(station, name):
    """The log's lines as (time, text)."""
    result = []
    for line in station.read_text(name).splitlines():
        match = re.fullmatch(r"(%s) (.*)" % TIME, line)
        if match is None:
            raise AssertionError("not a log line: %r" % line)
        result.append((datetime.datetime.strptime(match.group(1), "%Y-%m-%dT%H:%M:%SZ"), match.group(2)))
    return result


def process_gone(pid):
    """True when no process (other than a zombie) has the id."""
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] == "Z"
    except FileNotFoundError:
        return True


class TrackerFailsUnderAJob(unittest.TestCase):
    def test_a_missing_element_file_ends_the_tracker_in_a_minute_and_the_job_is_reported(self):
        # A download that failed has taken the element file away when the tracker starts in
        # automatic mode (the satellite from KELVORIN.CMD); the next download brings it back.
        job = ("mv KEPS.TXT KEPS.OLD\n"
               '"%s"\n'
               "status=$?\n"
               'echo "kelvorin $status" >> jobs.log\n'
               "mv KEPS.OLD KEPS.TXT\n"
               "exit $status\n") % binary("KELVORIN")
        files = {"MIRADOS.CFG": mirados_cfg("ISS"), "ISS.BAT": job, "KELVORIN.CMD": "ISS\r\n"}
        with StationDir(files=files) as station:
            (aos, _), (second_aos, _) = scheduled_passes(station, "ISS")[:2]
            start = aos - datetime.timedelta(seconds=40)
            with Program([binary("MIRADOS")], station, faketime=clock_text(start), speed=20, env=UTC) as program:
                program.wait_for("SATELLITE TRACKING SYSTEM", row=2, timeout=60)
                program.wait_for("ERROR: Could not find keplerian data file! Cannot continue.", row=24)
                # Nobody answers: the tracker ends by itself and the scheduler takes over again.
                program.wait_for("SATELLITE PASS SCHEDULER", row=2, timeout=60)
                program.wait_for("Job ISS.BAT failed (exit status 1)", row=24)
                self.assertEqual(station.read_text("jobs.log"), "kelvorin 1\n")
                program.wait_for("Waiting for ISS", row=4)
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)

            tracker = events(station, "KELVORIN.LOG")
            shown = [when for when, text in tracker
                     if text == "ERROR: Could not find keplerian data file! Cannot continue."]
            self.assertEqual(len(shown), 1, tracker)
            self.assertEqual(tracker[-1][1], "Ended (exit status 1)")
            # A minute of the station's clock, give or take the second it was shown in.
            waited = (tracker[-1][0] - shown[0]).total_seconds()
            self.assertTrue(59 <= waited <= 61, tracker)
            # The next cycle waits for the next pass: the failed job is not run again.
            scheduler = [text for _, text in events(station, "MIRADOS.LOG")]
            ended = scheduler.index("Job ISS.BAT ended (exit status 1)")
            self.assertEqual(scheduler[ended + 1], "Job ISS.BAT failed (exit status 1)")
            waiting = re.match(r"Waiting for ISS: AOS (%s)," % TIME, scheduler[ended + 2])
            self.assertIsNotNone(waiting, scheduler)
            # Searched from another instant, an AOS may lie a fine step (a second or so) apart.
            next_aos = datetime.datetime.strptime(waiting.group(1), "%Y-%m-%dT%H:%M:%SZ")
            self.assertLessEqual(abs((next_aos - second_aos).total_seconds()), 5, scheduler)


class JobOutlivesItsPass(unittest.TestCase):
    def test_a_job_running_an_hour_after_los_is_ended_with_everything_it_started(self):
        # A job that does not end when asked, and a helper it started that does not either;
        # each notes the request.
        job = ("echo $$ > job.pid\n"
               "sh -c 'trap \"echo TERM > helper-term.txt\" TERM; echo $$ > helper.pid; "
               "while :; do sleep 1; done' &\n"
               "trap 'date -u +%Y-%m-%dT%H:%M:%SZ >> term.txt' TERM\n"
               "while :; do sleep 1; done\n")
        files = {"MIRADOS.CFG": mirados_cfg("ISS"), "ISS.BAT": job}
        with StationDir(files=files) as station:
            (aos, los), (second_aos, _) = scheduled_passes(station, "ISS")[:2]
            limit = los + datetime.timedelta(minutes=60)
            with FakeClock(aos - datetime.timedelta(seconds=60)) as clock:
                # The clock runs on from its setting at the pace of the test's own clock.
                started = time.monotonic()

                def set_clock(moment):
                    clock.step(moment - clock.start - datetime.timedelta(seconds=time.monotonic() - started))

                def pids():
                    return [int(text) for text in (station.read_text(name).strip()
                            for name in ("job.pid", "helper.pid") if station.exists(name)) if text]

                with Program([binary("MIRADOS")], station, faketime=clock, env=UTC) as program:
                    program.wait_for("Waiting for ISS", row=4, timeout=60)
                    set_clock(aos - datetime.timedelta(seconds=3))
                    program.wait_until(lambda: len(pids()) == 2, message="the job and its helper")
                    job_pids = pids()

                    # Half a minute before the limit the job is left alone.
                    set_clock(limit - datetime.timedelta(seconds=30))
                    time.sleep(3)
                    self.assertFalse(station.exists("term.txt"))
                    self.assertFalse(any(process_gone(pid) for pid in job_pids))

                    clock.step(datetime.timedelta(seconds=40))
                    def asked_to_end(name):
                        return station.exists(name) and station.read_text(name).endswith("\n")

                    program.wait_until(lambda: asked_to_end("term.txt") and asked_to_end("helper-term.txt"),
                                       message="the request to end, to the job and its helper")
                    asked = datetime.datetime.strptime(station.read_text("term.txt").split()[0], "%Y-%m-%dT%H:%M:%SZ")
                    self.assertTrue(limit <= asked <= limit + datetime.timedelta(seconds=30), (asked, limit))
                    # Neither ends when asked; both are made to ten seconds later.
                    time.sleep(2)
                    self.assertFalse(any(process_gone(pid) for pid in job_pids))
                    clock.step(datetime.timedelta(seconds=15))
                    program.wait_for("Job ISS.BAT ended: still running 60 minutes after LOS.", row=24)
                    program.wait_until(lambda: all(process_gone(pid) for pid in job_pids), message="no process left")
                    program.wait_for("Waiting for ISS", row=4)
                    program.wait_for(second_aos.strftime("%H:%M"), row=8, column=12)
                    program.send("q")
                    self.assertEqual(program.wait_exit(), 0)

            scheduler = events(station, "MIRADOS.LOG")
            ended = [when for when, text in scheduler if text == "Job ISS.BAT ended at its limit, 60 minutes after LOS"]
            self.assertEqual(len(ended), 1, scheduler)
            self.assertGreaterEqual(ended[0], asked + datetime.timedelta(seconds=10))

if __name__ == "__main__":
    unittest.main()
