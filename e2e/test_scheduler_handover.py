"""The scheduler hands a pass to the tracker: the job starts kelvorin with the satellite, the
tracker ends itself after LOS, and the scheduler takes the console back and schedules again."""

import datetime
import unittest

from harness import Program, StationDir, binary, clock_text, mirados_cfg

START = datetime.datetime(2026, 10, 10, 0, 0, 0)


class HandOver(unittest.TestCase):
    def test_tracker_follows_the_pass_and_gives_the_console_back(self):
        tracker = binary("KELVORIN")
        # The demo station ends the tracker after the pass (quitAfterPass 1).
        job = '"%s" iss\necho "kelvorin $?" >> jobs.log\n' % tracker
        files = {"MIRADOS.CFG": mirados_cfg("ISS"), "ISS.BAT": job}
        with StationDir(files=files) as station:
            with Program([binary("MIRADOS")], station, faketime=clock_text(START)) as program:
                program.wait_for("Waiting for ISS", row=4, timeout=30)
                first, second = (program.text_at(row, 12, 8) for row in (8, 9))
                program.send("q")
                program.wait_exit()
            aos = datetime.datetime.combine(START.date(), datetime.time.fromisoformat(first))
            start = aos - datetime.timedelta(seconds=40)
            with Program([binary("MIRADOS")], station, faketime=clock_text(start), speed=20) as program:
                program.wait_for("SATELLITE TRACKING SYSTEM", row=2, timeout=30)
                program.wait_for("Command Line", timeout=15)
                program.wait_for("SATELLITE PASS SCHEDULER", row=2, timeout=90)
                self.assertEqual(station.read_text("jobs.log"), "kelvorin 0\n")
                # The pass just tracked is over: the next one heads the new schedule.
                program.wait_for("Waiting for ISS", row=4)
                program.wait_for(second[:5], row=8, column=12)
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
