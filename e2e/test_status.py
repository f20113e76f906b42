"""The status files scraped through the real node_exporter (textfile collector only): what a
scrape and the JSON say agrees with the screen of each program; a status directory that turns
read-only is reported and tracking goes on."""

import contextlib
import datetime
import glob
import json
import os
import re
import socket
import subprocess
import time
import unittest

from harness import Program, SerialPeer, StationDir, binary, clock_text, mirados_cfg, station_config, unprivileged
from test_faults import MID_PASS, ROTATOR_PORT, clock_runs
from test_logs import UTC, first_high_pass

EXPORTER = "/usr/bin/prometheus-node-exporter"
SAMPLE = re.compile(r"^(\w+)(\{.*\})? (\S+)$")


@contextlib.contextmanager
def node_exporter(directory):
    if not os.access(EXPORTER, os.X_OK):
        raise unittest.SkipTest("prometheus-node-exporter is not installed")
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    exporter = subprocess.Popen([EXPORTER, "--web.listen-address=127.0.0.1:%d" % port, "--collector.disable-defaults",
                                 "--collector.textfile", "--collector.textfile.directory=" + directory],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        yield "http://127.0.0.1:%d/metrics" % port
    finally:
        exporter.kill()
        exporter.wait()


def scrape(url, wanted, program):
    """The samples of a scrape ({name{labels}: value}) once `wanted` is among them."""
    deadline = time.monotonic() + 30
    while True:
        result = subprocess.run(["curl", "-sf", url], capture_output=True, text=True)
        samples = {m.group(1) + (m.group(2) or ""): float(m.group(3))
                   for m in map(SAMPLE.match, result.stdout.splitlines()) if m}
        if wanted in samples or time.monotonic() > deadline:
            return samples
        program.pump(0.2)


def read_json(directory, name):
    with open(os.path.join(directory, name)) as status:
        return json.load(status)


def unix_time(text):
    return datetime.datetime.strptime(text, "%Y-%m-%d %H:%M:%S").replace(tzinfo=datetime.timezone.utc).timestamp()


class TrackerStatus(unittest.TestCase):
    def test_a_scrape_shows_the_screen_and_a_read_only_directory_stops_nothing(self):
        user = unprivileged()
        config = station_config(v9=1, v11=0, v14=1, v15=9600, v16=ROTATOR_PORT, v34=0) + " status \r\n"
        with StationDir(files={"KELVORIN.CFG": config, "KELVORIN.CMD": "ISS\r\n"}) as station:
            directory = station.file("status")
            os.mkdir(directory)
            rotator = SerialPeer(station, ROTATOR_PORT)
            if user is not None:  # the station, and the program's end of the link, for the program's user
                for path in [station.path, directory] + glob.glob(os.path.join(station.path, "*")):
                    os.chown(os.path.realpath(path), user, user)
            with node_exporter(directory) as url, \
                    Program([binary("KELVORIN")], station, faketime=MID_PASS, env=UTC, user=user) as program:
                program.wait_for("Tracking ISS", row=4, timeout=30)
                program.wait_until(lambda: program.text_at(17, 37, 7).strip(), message="the rotator's azimuth")
                m = scrape(url, 'kelvorin_satellite_azimuth_degrees{satellite="ISS"}', program)
                sat = '{satellite="ISS"}'
                self.assertEqual(m["node_textfile_scrape_error"], 0)
                self.assertEqual(m['kelvorin_state{state="tracking"}'], 1)
                shown = unix_time("2026-10-01 " + re.search(r"\d\d:\d\d:\d\d", program.row(4)).group(0))
                self.assertAlmostEqual(m["kelvorin_heartbeat_timestamp_seconds"], shown, delta=3)
                # The screen is read after the scrape, at most a second or two later.
                for row, name, unit, delta in [(11, "satellite_azimuth_degrees" + sat, 1, 1),
                                               (12, "satellite_elevation_degrees" + sat, 1, 1),
                                               (13, "satellite_range_metres" + sat, 1000, 20),
                                               (17, "rotator_azimuth_degrees", 1, 2)]:
                    self.assertAlmostEqual(m["kelvorin_" + name] / unit, float(program.text_at(row, 37, 7)), delta=delta)
                for row, name in [(12, "aos"), (13, "los")]:
                    self.assertEqual(int(m["kelvorin_next_%s_timestamp_seconds%s" % (name, sat)]),
                                     unix_time("2026-10-01 " + program.text_at(row, 61, 8)))
                days = int(re.search(r"are +(-?\d+)", program.row(8)).group(1))
                self.assertLessEqual(abs(m["kelvorin_element_set_age_seconds" + sat] / 86400 - days), 1)
                self.assertEqual(m['kelvorin_device_link_up{device="rotator"}'], 1)
                document = read_json(directory, "kelvorin.json")
                self.assertEqual((document["state"], document["satellite"]), ("tracking", "ISS"))
                self.assertEqual(document["next_aos_timestamp_seconds"], m["kelvorin_next_aos_timestamp_seconds" + sat])

                rotator.close()
                program.wait_for("Rotator link lost", row=24)
                m = scrape(url, 'kelvorin_device_link_losses_total{device="rotator"}', program)
                os.chmod(directory, 0o555)
                program.wait_for("Could not write kelvorin.prom (Permission denied). Retrying at next change.",
                                 row=24, timeout=30)
                self.assertTrue(clock_runs(program, 5) and "Tracking ISS" in program.row(4), "tracking stopped")
                self.assertIn("Could not write kelvorin.prom", station.read_text("KELVORIN.LOG"))
                self.assertEqual((m['kelvorin_device_link_up{device="rotator"}'],
                                  m['kelvorin_device_link_losses_total{device="rotator"}']), (0, 1))
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)


class SchedulerStatus(unittest.TestCase):
    def test_a_scrape_shows_the_next_pass_and_the_failed_job(self):
        files = {"MIRADOS.CFG": mirados_cfg("ISS"), "ISS.BAT": "sleep 20\nexit 3\n",
                 "KELVORIN.CFG": station_config() + "status\r\n"}
        with StationDir(files=files) as station:
            directory = station.file("status")
            os.mkdir(directory)
            aos = first_high_pass(station, "ISS")
            start = aos - datetime.timedelta(seconds=40)
            with node_exporter(directory) as url, \
                    Program([binary("MIRADOS")], station, faketime=clock_text(start), speed=10, env=UTC) as program:
                program.wait_for("Waiting for ISS", row=4, timeout=60)
                m = scrape(url, 'mirados_next_pass_aos_timestamp_seconds{entry="ISS"}', program)
                self.assertEqual(m["node_textfile_scrape_error"], 0)
                self.assertEqual(m['mirados_state{state="waiting"}'], 1)
                self.assertEqual(int(m['mirados_next_pass_aos_timestamp_seconds{entry="ISS"}']),
                                 unix_time(aos.strftime("%Y-%m-%d ") + program.text_at(8, 12, 8)))
                # The heartbeat goes on while the job runs.
                beats, deadline = set(), time.monotonic() + 60
                while len(beats) < 3 and time.monotonic() < deadline:
                    status = read_json(directory, "mirados.json")
                    if status["state"] == "job_running":
                        beats.add(status["heartbeat_timestamp_seconds"])
                    program.pump(0.05)
                self.assertGreaterEqual(len(beats), 3)
                program.wait_for("Job ISS.BAT failed (exit status 3)", row=24, timeout=60)
                m = scrape(url, "mirados_last_job_exit_status{entry=\"ISS\"}", program)
                self.assertEqual((m["mirados_jobs_started_total"], m["mirados_jobs_failed_total"]), (1, 1))
                self.assertEqual(m['mirados_last_job_exit_status{entry="ISS"}'], 3)
                self.assertEqual(read_json(directory, "mirados.json")["jobs_failed_total"], m["mirados_jobs_failed_total"])
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)
            self.assertEqual(read_json(directory, "mirados.json")["state"], "ended")


if __name__ == "__main__":
    unittest.main()
