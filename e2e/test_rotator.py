"""The tracker drives a rotator on a pseudo-terminal serial port: what reaches the wire is what
rows 17 and 18 show, sent only when it changes; an idle station parks the antenna once."""

import math
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Program, SerialPeer, StationDir, binary, station_config  # noqa: E402

ROTATOR_PORT = 2
# A pass of the demo ISS element set over the demo station: AOS 12:10:25, LOS 12:21:22 UTC,
# azimuth 241 -> 160 -> 79 degrees, so it crosses south and a south-stop rotator works it flipped.
MID_PASS = "2026-10-01 12:13:30"
SPEED = 10




def shown_position(program):
    """Rows 17 and 18 at column 37 as numbers, or None while they are blank."""
    azimuth = program.text_at(17, 37, 7).strip()
    elevation = program.text_at(18, 37, 7).strip()
    if not azimuth or not elevation:
        return None
    return float(azimuth), float(elevation)


def whole_degrees(shown):
    """The whole degrees a shown position (rounded to 0.01) can have been sent as."""
    return {(math.floor(shown[0] - delta), math.floor(shown[1] - delta)) for delta in (0.0, 0.005)}


def w_commands(rotator):
    """Everything the rotator received, its "W" commands, and their (azimuth, elevation) pairs."""
    rotator.read()
    wire = bytes(rotator.received)
    commands = re.findall(rb"W(\d{3}) (\d{3})\r", wire)
    return wire, commands, [(int(azimuth), int(elevation)) for azimuth, elevation in commands]


class RotatorDriveTest(unittest.TestCase):
    def setUp(self):
        self.kelvorin = binary("KELVORIN")

    def test_wire_follows_the_shown_position_and_repeats_nothing(self):
        # South stop, flipping allowed, no parking, "W" text, 5-degree steps.
        config = station_config(v7=0, v9=5, v10=1, v11=0, v14=1, v15=9600, v16=ROTATOR_PORT)
        files = {"KELVORIN.CFG": config, "KELVORIN.CMD": "ISS\r\n"}
        with StationDir(files=files) as station, SerialPeer(station, ROTATOR_PORT) as rotator, \
                Program([self.kelvorin], station, faketime=MID_PASS, speed=SPEED) as program:
            program.wait_for("Tracking ISS", row=4, timeout=30)
            program.wait_for("Flipped ", row=16, column=37)

            observed = []
            deadline = time.monotonic() + 15
            while time.monotonic() < deadline or len(observed) < 3:
                if time.monotonic() > deadline + 30:
                    self.fail("the rotator position changed fewer than three times: %r" % observed)
                position = shown_position(program)
                if position is not None and (not observed or observed[-1] != position):
                    observed.append(position)
                program.pump(0.02)

            def last_command_shown():
                sent = w_commands(rotator)[2]
                shown = shown_position(program)
                return bool(sent) and shown is not None and sent[-1] in whole_degrees(shown)

            # The screen and the wire agree whenever both have caught up with the same second.
            program.wait_until(last_command_shown, message="the last command to match rows 17 and 18")
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)

            wire, commands, sent = w_commands(rotator)
            self.assertEqual(b"".join(b"W%s %s\r" % command for command in commands), wire,
                             "only whole W commands reach the rotator")
            self.assertGreaterEqual(len(sent), 3)
            for earlier, later in zip(sent, sent[1:]):
                self.assertNotEqual(earlier, later, "a position was sent twice in a row: %r" % sent)
            for position in observed:
                self.assertTrue(whole_degrees(position) & set(sent),
                                "shown %r was never sent; sent %r" % (position, sent))
            # Flipped: the elevation is worked over the top.
            self.assertTrue(all(elevation >= 90 for _, elevation in sent), sent)
            self.assertEqual(station.read("KVFLIP.DAT"), b" 1 \r\n")

    def test_idle_station_parks_the_antenna_once(self):
        # North stop, parking at azimuth 180, elevation 10, binary "G" frames.
        config = station_config(v7=1, v11=1, v12=180, v13=10, v14=0, v15=9600, v16=ROTATOR_PORT)
        files = {"KELVORIN.CFG": config, "KELVORIN.CMD": "NONE\r\n"}
        with StationDir(files=files) as station, SerialPeer(station, ROTATOR_PORT) as rotator, \
                Program([self.kelvorin], station, faketime=MID_PASS, speed=SPEED) as program:
            program.wait_for("(Parked)", row=16, column=37)
            program.wait_for(" 180.00", row=17, column=37)
            program.wait_for("  10.00", row=18, column=37)
            frame = bytes([0x47, 0x01, 0xFF, 0x00, 0x38, 0x0D])
            rotator.wait_for_bytes(frame)
            # Let the idle loop run on for a while of clock seconds.
            first_clock = program.text_at(4, 3, 21)
            program.wait_until(lambda: program.text_at(4, 3, 21) != first_clock, message="the clock to run")
            time.sleep(3)
            program.pump(0)
            self.assertEqual(program.row(4)[39:45], "Idling")
            rotator.read()
            self.assertEqual(bytes(rotator.received), frame)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)

    def test_rotator_file_gets_the_park_position(self):
        config = station_config(v7=1, v11=1, v12=5.7, v13=45.2, v14=3, v16=0)
        files = {"KELVORIN.CFG": config, "KELVORIN.CMD": "NONE\r\n"}
        with StationDir(files=files) as station, \
                Program([self.kelvorin], station, faketime=MID_PASS, speed=SPEED) as program:
            program.wait_for("(Parked)", row=16, column=37)
            program.wait_for("   5.70", row=17, column=37)
            program.wait_until(lambda: station.exists("ROT.DAT"), message="ROT.DAT")
            self.assertEqual(station.read("ROT.DAT"), b"AZ005 EL045\r\n")
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
