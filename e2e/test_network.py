"""The tracker drives the real radio and rotator control daemons (their built-in dummy radio and
rotator on free loopback ports): a second client reads back what they were set to, and it is what
the screen shows; a daemon that is not there yet, or is killed mid-pass, is a lost link that comes
back when the daemon does; a position the rotator refuses is told on the message line."""

import os
import shutil
import socket
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Program, StationDir, binary, station_config  # noqa: E402

# Mid-pass of the demo ISS element set over the demo station (AOS 12:10:25, LOS 12:21:22 UTC). The
# clock runs at its own speed: the dummy rotator turns a few degrees a second in real time.
MID_PASS = "2026-10-01 12:13:00"
# ISS in the demo KELVORIN.FRC: uplink 145990 kHz FM, downlink 437800 kHz FM.
DOPPLER_THRESHOLD_HZ = 10


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Daemon:
    """rigctld or rotctld with its dummy device (model 1) on a loopback port."""

    def __init__(self, program, port):
        path = shutil.which(program)
        if path is None:
            raise AssertionError("%s is not installed (Debian package libhamlib-utils)" % program)
        self.argv = [path, "-m", "1", "-T", "127.0.0.1", "-t", str(port)]
        self.port = port
        self.process = None

    def start(self):
        self.process = subprocess.Popen(self.argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.5).close()
                return self
            except OSError:
                time.sleep(0.05)
        raise AssertionError("%s did not listen on port %d" % (self.argv[0], self.port))

    def kill(self):
        if self.process is not None:
            self.process.kill()
            self.process.wait()
            self.process = None

    def query(self, command, lines):
        """The answer to a read command: its first `lines` lines. A connection the daemon drops
        (it serves several clients at once, and a busy machine makes it slow) is made again, twice
        at most; a daemon that died fails the test."""
        for attempt in range(3):
            if self.process is None or self.process.poll() is not None:
                raise AssertionError("%s is not running (exit status %r)"
                                     % (self.argv[0], None if self.process is None else self.process.returncode))
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=2) as client:
                    client.sendall((command + "\n").encode())
                    answer = b""
                    while answer.count(b"\n") < lines:
                        chunk = client.recv(4096)
                        if not chunk:
                            raise ConnectionResetError("closed after %r" % answer)
                        answer += chunk
                return answer.decode().split("\n")[:lines]
            except (ConnectionError, socket.timeout):
                if attempt == 2:
                    raise
                time.sleep(0.2)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()


def shown_frequencies(program):
    """Uplink and downlink of row 20 in kHz, or None while either is blank."""
    uplink = program.text_at(20, 20, 10).strip()
    downlink = program.text_at(20, 37, 10).strip()
    if not uplink or not downlink:
        return None
    return float(uplink), float(downlink)


def shown_position(program):
    azimuth = program.text_at(17, 37, 7).strip()
    elevation = program.text_at(18, 37, 7).strip()
    if not azimuth or not elevation:
        return None
    return float(azimuth), float(elevation)


def message_line(program):
    return program.row(24).strip()


class NetworkControlTest(unittest.TestCase):
    def setUp(self):
        self.kelvorin = binary("KELVORIN")
        self.radio_port = free_port()
        self.rotator_port = free_port()

    def config(self, **extra):
        # Code H and interface 4 (no port numbers), uplink corrected, 10 Hz retune step, no
        # converters, 5-degree rotator steps, no parking unless asked.
        values = dict(v9=5, v11=0, v14=4, v16=0, v18="H", v19=0, v24=1, v25=DOPPLER_THRESHOLD_HZ,
                      v45="127.0.0.1:%d" % self.radio_port, v46="127.0.0.1:%d" % self.rotator_port)
        values.update(extra)
        return station_config(**values)

    def start_tracking(self, station):
        program = Program([self.kelvorin], station, faketime=MID_PASS)
        program.wait_for("Tracking ISS", row=4, timeout=30)
        return program

    def assert_radio_matches_screen(self, program, radio, timeout=20):
        """The dummy radio's f, i, m, x and split against row 20, until a reading lands between two
        equal screens."""
        last = None
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            program.pump(0.2)
            before = shown_frequencies(program)
            f = radio.query("f", 1)
            i = radio.query("i", 1)
            program.pump(0.05)
            if before is None or before != shown_frequencies(program):
                continue
            uplink_khz, downlink_khz = before
            last = (before, f, i)
            # The screen shows 100 Hz; the radio was sent 10 Hz, and nothing smaller than the retune
            # step since.
            tolerance_khz = 0.05 + DOPPLER_THRESHOLD_HZ / 1000.0
            if abs(int(f[0]) / 1000.0 - downlink_khz) <= tolerance_khz and \
                    abs(int(i[0]) / 1000.0 - uplink_khz) <= tolerance_khz:
                self.assertEqual(radio.query("m", 2)[0], "FM")
                self.assertEqual(radio.query("x", 2)[0], "FM")
                self.assertEqual(radio.query("s", 2), ["1", "VFOB"])
                return
        self.fail("radio never matched the screen; last screen, f, i: %r" % (last,))

    def assert_rotator_matches_screen(self, program, rotator, timeout=90):
        """The dummy rotator's position against rows 17 and 18 once it has turned there (it moves a
        few degrees a second; the 5-degree steps hold each position for a while)."""
        last = None
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            program.pump(0.3)
            shown = shown_position(program)
            azimuth, elevation = (float(value) for value in rotator.query("p", 2))
            last = (shown, azimuth, elevation)
            if shown is not None and abs(azimuth - shown[0]) <= 0.01 and abs(elevation - shown[1]) <= 0.01:
                return
        self.fail("rotator never reached the shown position; last shown, az, el: %r" % (last,))

    def test_a_pass_drives_both_daemons_to_the_shown_values(self):
        with Daemon("rigctld", self.radio_port).start() as radio, \
                Daemon("rotctld", self.rotator_port).start() as rotator, \
                StationDir(files={"KELVORIN.CFG": self.config(), "KELVORIN.CMD": "ISS\r\n"}) as station, \
                self.start_tracking(station) as program:
            self.assert_radio_matches_screen(program, radio)
            self.assert_rotator_matches_screen(program, rotator)
            # Tracking goes on and keeps the radio following.
            time.sleep(3)
            self.assert_radio_matches_screen(program, radio)
            self.assertNotIn("refused", message_line(program))
            self.assertNotIn("lost", message_line(program))

    def test_a_radio_daemon_started_after_the_tracker_takes_over_within_seconds(self):
        with Daemon("rotctld", self.rotator_port).start(), \
                Daemon("rigctld", self.radio_port) as radio, \
                StationDir(files={"KELVORIN.CFG": self.config(), "KELVORIN.CMD": "ISS\r\n"}) as station, \
                self.start_tracking(station) as program:
            program.wait_for("Radio link lost (127.0.0.1:%d: Connection refused). Reconnecting."
                             % self.radio_port, row=24)
            # The pass goes on without it.
            seconds = program.text_at(4, 3, 21)
            program.wait_until(lambda: program.text_at(4, 3, 21) != seconds, message="the clock moving")
            self.assertIsNotNone(shown_frequencies(program))
            radio.start()
            started = time.monotonic()
            program.wait_for("Radio link restored.", row=24, timeout=15)
            self.assertLess(time.monotonic() - started, 8)
            self.assert_radio_matches_screen(program, radio)

    def test_daemons_killed_mid_pass_are_reconnected_and_set_up_again(self):
        with Daemon("rigctld", self.radio_port).start() as radio, \
                Daemon("rotctld", self.rotator_port).start() as rotator, \
                StationDir(files={"KELVORIN.CFG": self.config(), "KELVORIN.CMD": "ISS\r\n"}) as station, \
                self.start_tracking(station) as program:
            self.assert_radio_matches_screen(program, radio)

            rotator.kill()
            program.wait_for("Rotator link lost (127.0.0.1:%d: Connection closed). Reconnecting."
                             % self.rotator_port, row=24)
            rotator.start()
            program.wait_for("Rotator link restored.", row=24, timeout=15)
            self.assert_rotator_matches_screen(program, rotator)

            radio.kill()
            program.wait_for("Radio link lost (127.0.0.1:%d: Connection closed). Reconnecting."
                             % self.radio_port, row=24)
            # A fresh dummy radio: not split, at its own frequency, until the set-up comes again.
            radio.start()
            program.wait_for("Radio link restored.", row=24, timeout=15)
            self.assert_radio_matches_screen(program, radio)

    def test_a_refused_position_is_told_with_its_command(self):
        # An idle station parking over the top: the dummy rotator takes no elevation above 90.
        config = self.config(v11=1, v12=180, v13=120)
        with Daemon("rotctld", self.rotator_port).start() as rotator, \
                Daemon("rigctld", self.radio_port).start(), \
                StationDir(files={"KELVORIN.CFG": config, "KELVORIN.CMD": "NONE\r\n"}) as station, \
                Program([self.kelvorin], station) as program:
            program.wait_for("Rotator daemon refused P 180.00 120.00: RPRT -1", row=24)
            program.wait_for("(Parked)", row=16, column=37)
            # Refused, not lost: the link stays, and the daemon still answers.
            self.assertNotIn("lost", program.screen_text())
            self.assertEqual(len(rotator.query("p", 2)), 2)


if __name__ == "__main__":
    unittest.main()
