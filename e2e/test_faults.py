"""Faults a station meets every week, met by the tracker in the middle of a pass: the rotator's
serial adapter drops out and comes back, the station directory turns read-only. The tracker
keeps its once-a-second update running, says what happened and takes the device or the file up
again when it works."""

import glob
import os
import re
import time
import unittest

from harness import Program, SerialPeer, StationDir, binary, station_config, unprivileged

ROTATOR_PORT = 2
# A pass of the demo ISS element set over the demo station: AOS 12:10:25, LOS 12:21:22 UTC.
MID_PASS = "2026-10-01 12:13:30"
SPEED = 10
W_COMMAND = re.compile(rb"W(\d{3}) (\d{3})\r")


def clock_runs(program, seconds=3):
    """True when the date and time line shows at least `seconds` different times meanwhile."""
    seen = set()
    deadline = time.monotonic() + 30
    while len(seen) < seconds and time.monotonic() < deadline:
        seen.add(program.text_at(4, 3, 21))
        program.pump(0.05)
    return len(seen) >= seconds


class RotatorLinkDropsOut(unittest.TestCase):
    def test_link_killed_mid_pass_is_reported_and_taken_up_again_at_the_same_path(self):
        # "W" text on port 2, one-degree steps, no parking, the tracker stays after the pass.
        config = station_config(v9=1, v11=0, v14=1, v15=9600, v16=ROTATOR_PORT, v34=0)
        files = {"KELVORIN.CFG": config, "KELVORIN.CMD": "ISS\r\n"}
        with StationDir(files=files) as station:
            rotator = SerialPeer(station, ROTATOR_PORT)
            with Program([binary("KELVORIN")], station, faketime=MID_PASS, speed=SPEED) as program:
                program.wait_for("Tracking ISS", row=4, timeout=30)
                rotator.wait_for_bytes(b"\r")
                # The adapter drops out: its far end goes away, and so does the link name.
                rotator.close()
                program.wait_for("Rotator link lost (COM2: Input/output error). Reconnecting.", row=24)
                self.assertTrue(clock_runs(program), "the clock stood still while the link was lost")
                self.assertIn("Tracking ISS", program.row(4))
                # It comes back under the same name.
                rotator = SerialPeer(station, ROTATOR_PORT)
                program.wait_for("Rotator link restored.", row=24, timeout=30)
                # The first thing on the new link is the position the antenna should have now.
                received = rotator.wait_for_bytes(b"\r")
                self.assertRegex(bytes(received), rb"^W\d{3} \d{3}\r")
                sent = [(int(a), int(e)) for a, e in W_COMMAND.findall(bytes(received))]
                shown = (float(program.text_at(17, 37, 7)), float(program.text_at(18, 37, 7)))
                self.assertLessEqual(abs(sent[-1][0] - shown[0]), 2, (sent, shown))
                self.assertIn("Tracking ISS", program.row(4))
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)
            rotator.close()


class StationDirectoryTurnsReadOnly(unittest.TestCase):
    def test_tracking_goes_on_and_the_files_keep_their_last_content(self):
        # The demo station: rotator interface 3 (ROT.DAT), radio code D (radio.dat).
        user = unprivileged()
        with StationDir(files={"KELVORIN.CMD": "ISS\r\n", "KELVORIN.CFG": station_config(v34=0)}) as station:
            if user is not None:
                for path in [station.path] + glob.glob(os.path.join(station.path, "*")):
                    os.chown(path, user, user)
            os.chmod(station.path, 0o755)
            with Program([binary("KELVORIN")], station, faketime=MID_PASS, speed=SPEED, user=user) as program:
                program.wait_for("Tracking ISS", row=4, timeout=30)
                program.wait_until(lambda: station.exists("ROT.DAT") and station.exists("radio.dat"),
                                   message="ROT.DAT and radio.dat")
                os.chmod(station.path, 0o555)
                rotator_file = station.read("ROT.DAT")
                program.wait_for("Could not write ", row=24)
                self.assertRegex(program.row(24), r"Could not write (radio\.dat|ROT\.DAT) \(Permission denied\)\. "
                                                  r"Retrying at next change\.")
                self.assertTrue(clock_runs(program, 5), "the clock stood still")
                self.assertIn("Tracking ISS", program.row(4))
                self.assertEqual(station.read("ROT.DAT"), rotator_file)
                self.assertRegex(station.read_text("ROT.DAT"), r"^AZ\d{3} EL\d{3}\r\n$")
                self.assertEqual(len(station.read_text("radio.dat").splitlines()), 4)
                self.assertEqual([name for name in os.listdir(station.path) if name.startswith(".")], [])
                # Writable again: radio.dat is written at the next second.
                os.chmod(station.path, 0o755)
                program.wait_for("radio.dat written again.", row=24, timeout=30)
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
