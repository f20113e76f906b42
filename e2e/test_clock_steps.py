"""A clock set while the programs run (a board without a real-time clock taking its time from the
network): the tracker searches the pass again from the new time, the scheduler runs no job for a
pass the clock stepped over."""

import datetime
import time
import unittest

from harness import FakeClock, Program, StationDir, binary, mirados_cfg, station_config

# A pass of the demo ISS element set over the demo station: AOS 12:10:25, LOS 12:21:22 UTC.
MID_PASS = datetime.datetime(2026, 10, 1, 12, 13, 30)
START = datetime.datetime(2026, 10, 10, 0, 0, 0)


class TrackerClockSteps(unittest.TestCase):
    def test_a_step_back_and_a_step_forward_search_the_pass_again(self):
        files = {"KELVORIN.CFG": station_config(v34=0), "KVFLIP.DAT": " 0 \r\n"}
        with StationDir(files=files) as station, FakeClock(MID_PASS, speed=10) as clock, \
                Program([binary("KELVORIN"), "ISS"], station, faketime=clock) as program:
            # Started in the pass, which is searched from the start time on.
            program.wait_for("Tracking ISS", row=4, timeout=30)

            clock.step(datetime.timedelta(hours=-1))
            program.wait_for("Clock stepped back 60 minutes: searching the pass again.", row=24)
            program.wait_for("Waiting for ISS", row=4)
            program.wait_for(" 1-OCT-2026  11:", row=4, column=3)
            # The whole pass, now an hour ahead.
            program.wait_for("12:10:", row=12, column=61)
            self.assertIn("Waiting for ISS", program.row(4))

            clock.step(datetime.timedelta(days=1))
            program.wait_for("Clock stepped forward 1440 minutes: searching the pass again.", row=24)
            program.wait_for(" 2-OCT-2026  11:", row=4, column=3)
            program.wait_until(lambda: program.text_at(12, 61, 5) not in ("12:10", "     "),
                               message="the pass of the new day")
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)

    def test_wake_ups_stay_few_after_a_step_forward(self):
        files = {"KELVORIN.CFG": station_config(v34=0), "KVFLIP.DAT": " 0 \r\n"}
        with StationDir(files=files) as station, FakeClock(MID_PASS - datetime.timedelta(hours=3)) as clock, \
                Program([binary("KELVORIN"), "ISS"], station, faketime=clock) as program:
            program.wait_for("Waiting for ISS", row=4, timeout=30)
            clock.step(datetime.timedelta(hours=1))
            program.wait_for("Clock stepped forward 60 minutes: searching the pass again.", row=24)
            program.wait_for("Waiting for ISS", row=4)

            def woken():
                with open("/proc/%d/status" % program.child.pid) as status:
                    return int(next(line for line in status if line.startswith("voluntary_ctxt_switches:")).split()[1])

            # A bound far above the once-a-second update, far below a wait that sleeps no more.
            before, began = woken(), time.monotonic()
            program.pump(3)
            self.assertLess((woken() - before) / (time.monotonic() - began), 50)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)


class SchedulerClockSteps(unittest.TestCase):
    def test_no_job_for_a_pass_the_clock_stepped_over(self):
        with StationDir(files={"MIRADOS.CFG": mirados_cfg("ISS")}) as station, \
                Program([binary("MIRADOS")], station, faketime=START.strftime("%Y-%m-%d %H:%M:%S")) as program:
            program.wait_for("Waiting for ISS", row=4, timeout=30)
            first = [program.text_at(8, column, 8) for column in (12, 22)]
            second_aos = program.text_at(9, 12, 8)
            program.send("q")
            program.wait_exit()

        def moment(text):
            return datetime.datetime.combine(START.date(), datetime.time.fromisoformat(text))

        aos, los = moment(first[0]), moment(first[1])
        files = {"MIRADOS.CFG": mirados_cfg("ISS"), "ISS.BAT": 'date -u +%T >> jobs.log\n'}
        with StationDir(files=files) as station, FakeClock(aos - datetime.timedelta(seconds=60)) as clock, \
                Program([binary("MIRADOS")], station, faketime=clock) as program:
            program.wait_for("Waiting for ISS", row=4, timeout=30)
            # Searched from another instant, an AOS may be a fine step (1.2 s) apart.
            program.wait_for(first[0][:5], row=8, column=12)
            # Over the whole pass while the scheduler waits for it.
            clock.step(los - aos + datetime.timedelta(seconds=120))
            program.wait_for("Job ISS.BAT not run: clock stepped past the whole pass.", row=24, timeout=30)
            program.wait_for("Waiting for ISS", row=4)
            program.wait_for(second_aos[:5], row=8, column=12)
            time.sleep(2)
            self.assertFalse(station.exists("jobs.log"))
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
