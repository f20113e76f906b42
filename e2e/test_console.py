"""The terminal console as a program sees it: the console probe in a pseudo-terminal."""

import re
import signal
import unittest

from harness import KEY_BACKSPACE, KEY_ENTER, KEY_LEFT, KEY_UP, Program, SerialPeer, StationDir, binary

START = "2026-10-01 12:00:00"


def start_probe(station, *job, **options):
    return Program([binary("CONSOLE_PROBE"), *job], station, **options)


class DateAndTimeLine(unittest.TestCase):
    def test_faked_time_at_row_4_column_3(self):
        with StationDir(demo=False) as station, start_probe(station, faketime=START) as probe:
            probe.wait_for(" 1-OCT-2026  12:00:", row=4, column=3)
            self.assertRegex(probe.text_at(4, 3, 21), r"^ 1-OCT-2026  12:00:0\d$")
            self.assertEqual(probe.text_at(4, 1, 2), "  ")
            self.assertEqual(probe.text_at(4, 24, 10), " " * 10)

    def test_clock_runs_on(self):
        with StationDir(demo=False) as station, \
                start_probe(station, faketime="2026-12-31 23:59:58", speed=5) as probe:
            probe.wait_for("31-DEC-2026  23:59:5", row=4, column=3)
            probe.wait_for(" 1-JAN-2027  00:00:", row=4, column=3)


    def test_unchanged_redraws_send_nothing(self):
        with StationDir(demo=False) as station, start_probe(station, faketime=START, frozen=True) as probe:
            probe.wait_for(" 1-OCT-2026  12:00:00", row=4, column=3)
            while probe.pump(0.5):
                pass
            sent = len(probe.output)
            probe.pump(1.0)
            self.assertEqual(len(probe.output), sent)
            probe.send("x")
            probe.wait_for("Key: 78 ", row=6, column=3)
            # One field, not a repaint of the 2000 cells.
            self.assertLess(len(probe.output) - sent, 120)


class Drawing(unittest.TestCase):
    def test_box_characters_colours_and_the_last_cell(self):
        with StationDir(demo=False) as station, start_probe(station) as probe:
            probe.wait_for("CONSOLE PROBE", row=2)
            self.assertEqual(probe.row(1), "\u2554" + "\u2550" * 78 + "\u2557")
            self.assertEqual(probe.row(3), "\u2560" + "\u2550" * 78 + "\u2563")
            self.assertEqual(probe.text_at(5, 3, 8), "\u250c\u2500\u2510 \u2191\u2193\u2192\u2190")
            # Writing row 25 up to column 80 must not scroll the screen.
            self.assertEqual(probe.row(25), "\u255a" + "\u2550" * 78 + "\u255d")
            self.assertEqual(probe.text_at(2, 3, 13), "CONSOLE PROBE")
            self.assertEqual(probe.text_at(10, 1, 64), "  " + "-" * 60 + "  ")
            self.assertEqual((probe.fg_colour(12, 3), probe.bg_colour(12, 3)), (14, 1))
            self.assertEqual(probe.fg_colour(2, 3), 7)


    def test_terminal_without_unicode_gets_line_drawing_characters(self):
        with StationDir(demo=False) as station, start_probe(station, env={"LANG": "C", "LC_ALL": "C"}) as probe:
            probe.wait_for("CONSOLE PROBE", row=2)
            self.assertIn(b"\x1b(0", probe.output)  # the alternate character set
            self.assertNotIn("\u2550".encode(), probe.output)
            # Here runs of one character travel as the character and a repeat count.
            self.assertRegex(bytes(probe.output), rb"-\x1b\[\d+b")
            self.assertEqual(probe.text_at(10, 1, 64), "  " + "-" * 60 + "  ")


class Keys(unittest.TestCase):
    def test_keys_arrive_as_pc_key_texts(self):
        cases = [("x", "78"), (KEY_UP, "00 48"), (KEY_LEFT, "00 4B"), ("\x1b[B", "00 50"),
                 ("\x1b[C", "00 4D"), (KEY_ENTER, "0D"),
                 (KEY_BACKSPACE, "08"), ("\u00e9", "82"), ("\u00b0", "F8")]
        with StationDir(demo=False) as station, start_probe(station) as probe:
            probe.wait_for("CONSOLE PROBE", row=2)
            for sent, shown in cases:
                with self.subTest(key=repr(sent)):
                    probe.send(sent)
                    probe.wait_for("Key: " + shown + " ", row=6, column=3)


class GivingTheTerminalBack(unittest.TestCase):
    def assert_given_back(self, probe):
        self.assertEqual(probe.wait_exit(), 0)
        self.assertEqual(probe.screen_text().strip(), "")
        self.assertTrue(probe.cursor()[2], "cursor left hidden")
        modes = probe.terminal_modes()
        self.assertTrue(modes["echo"] and modes["canonical"] and modes["signals"], modes)

    def test_end_signals_end_the_program_as_quit_does(self):
        for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal=number.name), StationDir(demo=False) as station, \
                    start_probe(station) as probe:
                probe.wait_for("CONSOLE PROBE", row=2)
                probe.signal(number)
                self.assert_given_back(probe)

    def test_quit_key_and_control_c(self):
        for key in ("q", "\x03"):
            with self.subTest(key=repr(key)), StationDir(demo=False) as station, start_probe(station) as probe:
                probe.wait_for("CONSOLE PROBE", row=2)
                probe.send(key)
                self.assert_given_back(probe)


    def test_uncaught_exception_and_exit_give_the_terminal_back(self):
        # The run-time library's report of the exception stays readable on the cleared screen.
        for key, status, left in (("!", -signal.SIGABRT, "probe failure"), ("e", 3, "")):
            with self.subTest(key=key), StationDir(demo=False) as station, start_probe(station) as probe:
                probe.wait_for("CONSOLE PROBE", row=2)
                probe.send(key)
                self.assertEqual(probe.wait_exit(), status)
                self.assertNotIn("CONSOLE PROBE", probe.screen_text())
                self.assertIn(left, probe.screen_text())
                modes = probe.terminal_modes()
                self.assertTrue(modes["echo"] and modes["canonical"], modes)


class TerminalSize(unittest.TestCase):
    def test_small_terminal_gets_a_message_and_a_repaint_after_resize(self):
        with StationDir(demo=False) as station, start_probe(station, rows=20, columns=60) as probe:
            probe.wait_for("Please enlarge the terminal to 80x25", row=1)
            self.assertNotIn("CONSOLE PROBE", probe.screen_text())
            probe.resize(25, 80)
            probe.wait_for("CONSOLE PROBE", row=2)
            self.assertEqual(probe.row(25), "\u255a" + "\u2550" * 78 + "\u255d")
            self.assertNotIn("enlarge", probe.screen_text())


class SerialLink(unittest.TestCase):
    def test_every_byte_value_both_ways(self):
        with StationDir(demo=False) as station, SerialPeer(station, 1, name="com1") as peer, \
                start_probe(station) as probe:
            probe.wait_for("CONSOLE PROBE", row=2)
            probe.send("s")
            probe.wait_for("Sent 256 bytes", row=24)
            self.assertEqual(peer.wait_for_bytes(256), bytes(range(256)))
            peer.write(bytes(range(256)))
            probe.wait_for("Count: 256 ", row=9, column=3)
            self.assertEqual(probe.text_at(8, 3, 10 + 16 * 3).rstrip(),
                             "Received: " + " ".join("%02X" % b for b in range(240, 256)))

    def test_missing_port_is_reported(self):
        # No COM99 link and no /dev/ttyS98.
        with StationDir(demo=False) as station, start_probe(station, "--port", "99") as probe:
            probe.wait_for("CONSOLE PROBE", row=2)
            probe.send("s")
            probe.wait_for("Serial port 99 cannot be opened", row=24)


class Jobs(unittest.TestCase):
    def test_job_gets_a_normal_terminal_and_the_screen_comes_back(self):
        with StationDir(demo=False) as station, \
                start_probe(station, "/bin/sh", "-c", "stty -a > modes.txt; echo job ran; exit 3") as probe:
            probe.wait_for("CONSOLE PROBE", row=2)
            probe.send("r")
            probe.wait_for("Job status 3", row=24)
            self.assertEqual(probe.row(1), "\u2554" + "\u2550" * 78 + "\u2557")
            self.assertNotIn("job ran", probe.screen_text())
            modes = station.read_text("modes.txt")
            self.assertRegex(modes, r"(^|\s)icanon(\s|$)")
            self.assertRegex(modes, r"(^|\s)echo(\s|$)")

    def test_end_request_during_a_job_is_passed_on(self):
        with StationDir(demo=False) as station, start_probe(station, "/bin/sh", "-c", "exec sleep 60") as probe:
            probe.wait_for("CONSOLE PROBE", row=2)
            probe.send("r")
            probe.wait_gone("CONSOLE PROBE")
            probe.signal(signal.SIGTERM)
            self.assertEqual(probe.wait_exit(timeout=20), 0)
            self.assertEqual(probe.screen_text().strip(), "")

    def test_program_that_cannot_start(self):
        with StationDir(demo=False) as station, start_probe(station, "/nonexistent/job") as probe:
            probe.wait_for("CONSOLE PROBE", row=2)
            probe.send("r")
            probe.wait_for("Job status -1", row=24)
            self.assertTrue(re.match(r"^\s*$", probe.text_at(24, 16, 60)))


if __name__ == "__main__":
    unittest.main()
