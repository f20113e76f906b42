"""The scheduler runs the job of each pass at its AOS, once, and then schedules again."""

import datetime
import time
import unittest

from harness import Program, StationDir, binary, clock_text

START = datetime.datetime(2026, 10, 10, 0, 0, 0)


def mirados_cfg(*scheduled, watched=""):
    entries = list(scheduled) + [""] * (15 - len(scheduled))
    return ("; scheduled\n" + "\n".join(entries) + "\n; watched\n" + watched + "\n" * 15
            + "10\n1\n15\n14\n")


# A job that appends its name and the (faked) time it ran to the log, then ends. It also adds a
# watched satellite to MIRADOS.CFG, so the next cycle shows on the screen that it read it again.
def logging_job(name):
    return 'echo "%s $(date -u +%%H:%%M:%%S)" >> jobs.log\ncp NEXT.CFG MIRADOS.CFG\n' % name


def log_lines(station):
    return station.read_text("jobs.log").splitlines() if station.exists("jobs.log") else []


def wait_for_lines(program, station, count, timeout=60):
    program.wait_until(lambda: len(log_lines(station)) >= count, timeout, "%d job log lines" % count)
    return log_lines(station)


class JobAtAos(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The first two passes of ISS above 10 degrees, as the scheduler lists them from START
        # (the demo station's clock is on UTC).
        with StationDir(files={"MIRADOS.CFG": mirados_cfg("ISS")}) as station, \
                Program([binary("MIRADOS")], station, faketime=clock_text(START)) as program:
            program.wait_for("Waiting for ISS", row=4, timeout=30)
            cls.aos = [program.text_at(row, 12, 8) for row in (8, 9)]
            program.send("q")
            program.wait_exit()

    def moment(self, text):
        return datetime.datetime.combine(START.date(), datetime.time.fromisoformat(text))

    # Waits until a schedule row lists the second pass; a search from another instant may find
    # its AOS a fine step (1.2 s) apart.
    def wait_for_second_pass(self, program, row):
        expected = self.moment(self.aos[1])

        def listed():
            try:
                shown = self.moment(program.text_at(row, 12, 8))
            except ValueError:
                return False
            return abs((shown - expected).total_seconds()) <= 3

        program.wait_until(listed, 30, "the second pass on row %d" % row)

    def test_job_runs_at_aos_then_the_next_pass_is_scheduled(self):
        files = {"MIRADOS.CFG": mirados_cfg("ISS"), "NEXT.CFG": mirados_cfg("ISS", watched="NOAA-15"),
                 "ISS.BAT": logging_job("ISS")}
        start = self.moment(self.aos[0]) - datetime.timedelta(seconds=8)
        with StationDir(files=files) as station, \
                Program([binary("MIRADOS")], station, faketime=clock_text(start)) as program:
            program.wait_for("Waiting for ISS", row=4, timeout=30)
            aos = self.moment(program.text_at(8, 12, 8))
            [line] = wait_for_lines(program, station, 1)
            ran = self.moment(line.split()[1])
            self.assertGreaterEqual(ran, aos)
            self.assertLessEqual(ran, aos + datetime.timedelta(seconds=10))
            # The next cycle: the pass in progress is listed first but not run again.
            program.wait_for("NOAA-15", row=8, column=42)
            program.wait_for("Waiting for ISS", row=4)
            self.wait_for_second_pass(program, 9)
            time.sleep(3)
            self.assertEqual(len(log_lines(station)), 1)
            program.send("Q")
            self.assertEqual(program.wait_exit(), 0)

    def test_overlapping_passes_of_two_entries_run_each_job_once(self):
        files = {"MIRADOS.CFG": mirados_cfg("ISS~A", "ISS~B"),
                 "NEXT.CFG": mirados_cfg("ISS~A", "ISS~B", watched="NOAA-15"),
                 "ISS~A.BAT": logging_job("A"), "ISS~B.BAT": logging_job("B")}
        start = self.moment(self.aos[0]) - datetime.timedelta(seconds=8)
        with StationDir(files=files) as station, \
                Program([binary("MIRADOS")], station, faketime=clock_text(start)) as program:
            lines = wait_for_lines(program, station, 2)
            self.assertEqual([line.split()[0] for line in lines], ["A", "B"])
            # Both passes are still in progress; the scheduler now waits for the next ones.
            program.wait_for("NOAA-15", row=8, column=42)
            program.wait_for("Waiting for ISS~A", row=4)
            self.wait_for_second_pass(program, 10)
            time.sleep(3)
            self.assertEqual(len(log_lines(station)), 2)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)

    def test_missing_and_failing_jobs_are_reported_and_scheduling_goes_on(self):
        files = {"MIRADOS.CFG": mirados_cfg("ISS~A", "ISS~B"), "ISS~B.BAT": "exit 3\n"}
        start = self.moment(self.aos[0]) - datetime.timedelta(seconds=5)
        with StationDir(files=files) as station, \
                Program([binary("MIRADOS")], station, faketime=clock_text(start)) as program:
            program.wait_for("Job ISS~B.BAT failed (exit status 3)", row=24, timeout=40)
            program.wait_for("Waiting for ISS~A", row=4)
            self.wait_for_second_pass(program, 10)
            self.assertTrue(program.alive())
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
