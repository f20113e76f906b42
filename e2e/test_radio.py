"""The tracker drives a five-byte command radio (code Y) on a pseudo-terminal serial port: the setup
reaches the wire exactly, then the Doppler updates carry the frequencies row 20 shows; without a
frequency file the tracker shows the shift in PPM and sends the radio nothing."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Program, SerialPeer, StationDir, binary, station_config  # noqa: E402

RADIO_PORT = 1
# Mid-pass of the demo ISS element set over the demo station (AOS 12:10:25, LOS 12:21:22 UTC).
MID_PASS = "2026-10-01 12:13:30"
LATE_IN_PASS = "2026-10-01 12:20:50"
SPEED = 10

# ISS in the demo KELVORIN.FRC: uplink 145990 kHz FM, downlink 437800 kHz FM, no tone. On code Y
# the uplink is in class 14 400 000 and the downlink in 43 000 000: two-band operation.
SETUP = bytes.fromhex(
    "00 00 00 00 00"    # opening
    "00 00 00 00 0E"    # two-band
    "08 00 00 00 27"    # uplink mode FM
    "08 00 00 00 17"    # downlink mode FM
    "00 00 00 00 8A")   # tone off




def radio_config():
    # Code Y on port 1, uplink corrected, retune step 10 Hz, no third band, no converters.
    return station_config(v18="Y", v19=RADIO_PORT, v20=9600, v24=1, v25=10, v26=0)


def packed_decimal(field):
    """Four packed decimal bytes as a number of 10 Hz units."""
    return int(field.hex())


def updates_after_setup(testcase, wire):
    """The five-byte commands after the setup as (opcode, 10 Hz units)."""
    testcase.assertTrue(wire.startswith(SETUP), "setup on the wire: %s" % wire[:len(SETUP)].hex(" "))
    rest = wire[len(SETUP):]
    commands = [rest[i:i + 5] for i in range(0, len(rest) - len(rest) % 5, 5)]
    for command in commands:
        testcase.assertIn(command[4], (0x2E, 0x1E), "only uplink and downlink updates: %s" % command.hex(" "))
    return [(command[4], packed_decimal(command[:4])) for command in commands]


def shown_khz(program):
    """The uplink and downlink of row 20 (columns 20 and 37) in kHz, or None while blank."""
    tx = program.text_at(20, 20, 10).strip()
    rx = program.text_at(20, 37, 10).strip()
    try:
        return float(tx), float(rx)
    except ValueError:
        return None


class RadioTest(unittest.TestCase):
    def setUp(self):
        self.kelvorin = binary("KELVORIN")

    def test_five_byte_radio_follows_the_doppler_shift(self):
        files = {"KELVORIN.CFG": radio_config(), "KELVORIN.CMD": "ISS\r\n"}
        with StationDir(files=files) as station, SerialPeer(station, RADIO_PORT) as radio, \
                Program([self.kelvorin], station, faketime=MID_PASS, speed=SPEED) as program:
            program.wait_for("Tracking ISS", row=4, timeout=30)
            radio.wait_for_bytes(SETUP)
            # The first update of the pass carries both links, uplink first.
            radio.wait_for_bytes(len(SETUP) + 10)
            first = updates_after_setup(self, bytes(radio.received))[:2]
            self.assertEqual([opcode for opcode, _ in first], [0x2E, 0x1E])
            # A low orbit moves at most 7.5 km/s along the line of sight, and the first update
            # after the start predicts twice the shift (no previous ratio yet).
            self.assertLess(abs(first[0][1] - 14599000), 14599000 * 2 * 7.5 / 299792.0)
            self.assertLess(abs(first[1][1] - 43780000), 43780000 * 2 * 7.5 / 299792.0)

            def wire_matches_screen():
                radio.read()
                if (len(radio.received) - len(SETUP)) % 5 != 0:
                    return False
                updates = updates_after_setup(self, bytes(radio.received))
                shown = shown_khz(program)
                if shown is None:
                    return False
                last_tx = [units for opcode, units in updates if opcode == 0x2E][-1]
                last_rx = [units for opcode, units in updates if opcode == 0x1E][-1]
                # Row 20 shows kHz to 0.1; the radio gets 10 Hz units of the same value.
                return abs(last_tx / 100 - shown[0]) <= 0.051 and abs(last_rx / 100 - shown[1]) <= 0.051

            # Let several updates go out, then the last on the wire must be what the screen shows.
            radio.wait_for_bytes(len(SETUP) + 40, timeout=30)
            program.wait_until(wire_matches_screen, timeout=20, message="the last update to match row 20")
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)

            updates = updates_after_setup(self, bytes(radio.received))
            downlinks = [units for opcode, units in updates if opcode == 0x1E]
            self.assertGreaterEqual(len(downlinks), 3)
            for earlier, later in zip(downlinks, downlinks[1:]):
                self.assertGreaterEqual(abs(later - earlier), 1, "a downlink resent unchanged: %r" % downlinks)
            # Uplink and downlink move in opposite senses.
            uplinks = [units for opcode, units in updates if opcode == 0x2E]
            self.assertEqual(uplinks[-1] < uplinks[0], downlinks[-1] > downlinks[0])

    def test_end_of_pass_returns_the_radio_to_one_band_operation(self):
        # With quitAfterPass in automatic mode the tracker ends itself after LOS.
        files = {"KELVORIN.CFG": station_config(v18="Y", v19=RADIO_PORT, v20=9600, v24=1, v25=10, v26=0, v34=1),
                 "KELVORIN.CMD": "ISS\r\n"}
        shutdown = bytes.fromhex("00 00 00 00 8E" "00 00 00 00 80")
        with StationDir(files=files) as station, SerialPeer(station, RADIO_PORT) as radio, \
                Program([self.kelvorin], station, faketime=LATE_IN_PASS, speed=SPEED) as program:
            program.wait_for("Tracking ISS", row=4, timeout=30)
            self.assertEqual(program.wait_exit(timeout=40), 0)
            wire = radio.wait_for_bytes(shutdown)
            self.assertTrue(wire.startswith(SETUP))
            self.assertTrue(wire.endswith(shutdown), wire.hex(" "))
            updates_after_setup(self, wire[:-len(shutdown)])

    def test_missing_frequency_file_shows_ppm_and_sends_nothing(self):
        files = {"KELVORIN.CFG": radio_config(), "KELVORIN.CMD": "ISS\r\n"}
        with StationDir(files=files) as station, SerialPeer(station, RADIO_PORT) as radio:
            os.remove(station.file("KELVORIN.FRC"))
            with Program([self.kelvorin], station, faketime=MID_PASS, speed=SPEED) as program:
                program.wait_for("Could not find KELVORIN.FRC file. Showing Doppler PPM.", row=24, column=3,
                                 timeout=30)
                program.wait_for("Tracking ISS", row=4, timeout=30)
                program.wait_for(" PPM", row=20, column=26)
                program.wait_for(" PPM", row=20, column=43)
                tx = program.text_at(20, 20, 5)
                rx = program.text_at(20, 37, 5)
                self.assertRegex(tx, r"^ ?[+-]\d{1,2}\.\d$")
                self.assertRegex(rx, r"^ ?[+-]\d{1,2}\.\d$")
                # Let the clock run on for some seconds of tracking.
                first_clock = program.text_at(4, 3, 21)
                program.wait_until(lambda: program.text_at(4, 3, 21) != first_clock, message="the clock to run")
                time.sleep(2)
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)
            radio.read()
            self.assertEqual(bytes(radio.received), b"")


if __name__ == "__main__":
    unittest.main()
