"""The tracker as an operator meets it: kelvorin in a pseudo-terminal of 80x25, under faketime,
in a copy of the demo station (ISS passes over it from about 13:09 to 13:19 UTC on 10 October
2026; the demo clock runs on UTC)."""

import unittest

from harness import Program, StationDir, binary

BEFORE_ISS_PASS = "2026-10-10 12:00:00"
FLIP_FILE = {"KVFLIP.DAT": " 0 \r\n"}


def kelvorin(station, *args, faketime=BEFORE_ISS_PASS, speed=None):
    return Program([binary("KELVORIN")] + list(args), station, faketime=faketime, speed=speed)


class StaticScreenTest(unittest.TestCase):
    def test_screen_after_start(self):
        with StationDir(files=dict(FLIP_FILE, **{"KELVORIN.CMD": "NONE\r\n"})) as station, \
                kelvorin(station) as program:
            program.wait_for("Idling", row=4, column=40)
            expected = {
                1: "╔" + "═" * 78 + "╗",
                2: "║ KELVORIN 4.1 dev          SATELLITE TRACKING SYSTEM                by VANTREL║",
                3: "╠" + "═" * 24 + "╦" + "═" * 53 + "╣",
                5: "╠" + "═" * 24 + "╩" + "═" * 23 + "╦" + "═" * 29 + "╣",
                6: "║ Satellite position    Latitude:                ║                             ║",
                11: "║ Seen from DEMO JO22    Azimuth:                ╠" + "═" * 29 + "╣",
                12: "║                      Elevation:                ║     AOS:                    ║",
                19: "║                                                ║ ┌" + "─" * 14 + "┴" + "─" * 10 + "┐ ║",
                20: "║ Frequency    TX:              RX:              ║ │  Stop   Track -> Tune   │ ║",
                21: "╠" + "═" * 48 + "╣ │        Calibrate        │ ║",
                22: "║ Satellite selection:  Automatic                ║ └" + "─" * 25 + "┘ ║",
                23: "╠" + "═" * 48 + "╩" + "═" * 29 + "╣",
                24: "║" + " " * 78 + "║",
                25: "╚" + "═" * 78 + "╝",
            }
            for row, text in expected.items():
                self.assertEqual(program.row(row), text, "row %d" % row)
            self.assertRegex(program.text_at(4, 3, 21), r"^10-OCT-2026  12:0\d:\d\d$")
            self.assertEqual(program.text_at(4, 32, 14), "Status: Idling")
            # The demo colours: white on blue, the command letters yellow.
            for row, column in [(18, 53), (18, 65), (18, 74), (20, 55), (20, 62), (20, 71), (21, 61)]:
                self.assertEqual(program.fg_colour(row, column), 14, (row, column))
            self.assertEqual(program.fg_colour(18, 54), 15)
            self.assertEqual(program.bg_colour(18, 53), 1)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)
            self.assertEqual(program.screen_text().strip(), "")


class ConfigurationTest(unittest.TestCase):
    def test_missing_configuration_waits_for_a_key_then_ends(self):
        with StationDir(demo=False, files=FLIP_FILE) as station, kelvorin(station) as program:
            program.wait_for("ERROR: Could not find configuration file! Cannot continue.", row=24, column=3)
            self.assertTrue(program.alive())
            program.send("x")
            # A fatal end, after the key as after the minute, is status 1.
            self.assertEqual(program.wait_exit(), 1)
            self.assertEqual(program.screen_text().strip(), "")
            self.assertEqual(program.cell(24, 3).data, " ")


class SelectionTest(unittest.TestCase):
    def test_command_file_none_then_a_satellite(self):
        with StationDir(files=dict(FLIP_FILE, **{"KELVORIN.CMD": "NONE\r\n"})) as station, \
                kelvorin(station) as program:
            program.wait_for("Idling", row=4, column=40)
            station.write("KELVORIN.CMD", "iss\r\nSO-50\r\n")
            program.wait_for("Waiting for ISS", row=4, column=40)
            program.wait_for("Your Keps for ISS", row=7, column=53)
            program.wait_for("AOS: 13:09:", row=12, column=56)
            self.assertEqual(program.text_at(13, 56, 8), "LOS: 13:")
            # The satellite is followed once a second: the position fields fill in.
            program.wait_until(lambda: program.text_at(13, 37, 7).strip() != "", message="the range")
            station.write("KELVORIN.CMD", "NONE\r\n")
            program.wait_for("Idling", row=4, column=40)
            program.wait_until(lambda: program.text_at(13, 36, 8) == " " * 8, message="blank range field")
            program.send("Q")
            self.assertEqual(program.wait_exit(), 0)

    def test_lower_case_designation_with_suffix_on_the_command_line(self):
        with StationDir(files=dict(FLIP_FILE, **{"KELVORIN.CMD": "SO-50\r\n"})) as station, \
                kelvorin(station, "iss~aprs") as program:
            program.wait_for("Waiting for ISS~APRS", row=4, column=40)
            self.assertEqual(program.text_at(22, 25, 12), "Command Line")
            self.assertEqual(program.text_at(7, 53, 17), "Your Keps for ISS")
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)

    def test_manual_mode_and_a_typed_designation(self):
        with StationDir(files=FLIP_FILE) as station, kelvorin(station) as program:
            program.wait_for("Waiting for ISS", row=4, column=40)
            program.send("m")
            program.wait_for("Manual      ", row=22, column=25)
            program.send("s")
            program.wait_for("Idling", row=4, column=40)
            program.send("t")
            program.wait_for("Which satellite would you like to track? ", row=24, column=3)
            program.send("so-50")
            program.wait_for("Which satellite would you like to track? so-50", row=24, column=3)
            program.send("\r")
            program.wait_for("Waiting for SO-50", row=4, column=40)
            self.assertEqual(program.text_at(7, 53, 19), "Your Keps for SO-50")
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)
            self.assertEqual(program.screen_text().strip(), "")


class NewYearTest(unittest.TestCase):
    # NOAA-18 rises over the demo station about 00:18 UTC on 1 January 2027 and sets about 00:27.
    def test_a_pass_after_midnight_on_new_years_eve_is_tracked_and_the_tracker_ends(self):
        with StationDir(files=FLIP_FILE) as station, \
                kelvorin(station, "NOAA-18", faketime="2026-12-31 23:59:40", speed=60) as program:
            program.wait_for("Waiting for NOAA-18", row=4, column=40)
            self.assertEqual(program.text_at(12, 56, 8), "AOS: 00:")
            program.wait_for(" 1-JAN-2027", row=4, column=3, timeout=30)
            program.wait_for("Tracking NOAA-18", row=4, column=40, timeout=60)
            # The demo station ends the tracker after the pass in command-line mode.
            self.assertEqual(program.wait_exit(timeout=60), 0)


if __name__ == "__main__":
    unittest.main()
