"""The programs' options, as an operator types them: --help and --version answer without a
terminal, an unknown option is a usage error, and mirados --passes prints the passes the
schedule shows, without the screen, at the same (frozen) instant."""

import os
import subprocess
import unittest

from harness import Program, StationDir, binary, faketime_library

INSTANT = "2026-10-10 00:00:00"


def run(argv, cwd, faketime=None):
    """Runs a program without a terminal (standard input from /dev/null, output to pipes)."""
    environment = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    environment.pop("TERM", None)
    if faketime is not None:
        library = faketime_library()
        if library is None:
            raise unittest.SkipTest("libfaketime is not installed")
        environment.update({"LD_PRELOAD": library, "FAKETIME": faketime, "FAKETIME_DONT_RESET": "1"})
    return subprocess.run(argv, cwd=cwd, env=environment, stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, timeout=120)


class HelpAndVersion(unittest.TestCase):
    def test_both_programs_answer_without_a_terminal(self):
        with StationDir(demo=False) as station:
            for name, program in (("kelvorin", binary("KELVORIN")), ("mirados", binary("MIRADOS"))):
                help_text = run([program, "--help"], station.path)
                self.assertEqual(help_text.returncode, 0)
                self.assertTrue(help_text.stdout.startswith("Usage: %s" % name), help_text.stdout)
                self.assertIn("See %s(1)" % name, help_text.stdout)
                self.assertEqual(help_text.stderr, "")
                version = run([program, "--version"], station.path)
                self.assertEqual((version.returncode, version.stderr), (0, ""))
                self.assertRegex(version.stdout, r"^%s \d+\.\d+( dev)?\n$" % name)
                wrong = run([program, "--frobnicate"], station.path)
                self.assertEqual(wrong.returncode, 2)
                self.assertEqual(wrong.stdout, "")
                self.assertEqual(wrong.stderr, "%s: unknown option --frobnicate\nTry %s --help.\n" % (name, name))
            # Nothing was read or written in the station directory.
            self.assertEqual(os.listdir(station.path), [])

    def test_the_version_is_the_title_on_the_screen(self):
        with StationDir(files={"KELVORIN.CMD": "NONE\r\n"}) as station, \
                Program([binary("KELVORIN")], station, faketime=INSTANT) as program:
            name, number = run([binary("KELVORIN"), "--version"], station.path).stdout.strip().split(" ", 1)
            program.wait_for(name.upper() + " " + number, row=2, column=3)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)


def schedule_rows(station):
    """The schedule's rows (entry, AOS, LOS, maximum elevation) as the screen shows them."""
    with Program([binary("MIRADOS")], station, faketime=INSTANT, frozen=True) as program:
        program.wait_for("Waiting for", row=4, timeout=60)
        rows = []
        for row in range(8, 21):
            entry = program.text_at(row, 3, 9).strip()
            if entry:
                rows.append((entry, program.text_at(row, 12, 8), program.text_at(row, 22, 8),
                             program.text_at(row, 32, 4).strip()))
        program.send("q")
        program.wait_exit()
    return rows


def first_high_rows(csv_lines, scheduled_only=True):
    """From --passes --csv: the high passes of scheduled entries, at most two per entry, as
    (entry, AOS, LOS, maximum elevation)."""
    rows, per_entry = [], {}
    for line in csv_lines:
        date, entry, kind, aos, los, elevation, _, _, clears = line.split(",")
        if (kind == "scheduled" or not scheduled_only) and clears == "yes":
            per_entry[entry] = per_entry.get(entry, 0) + 1
            if per_entry[entry] <= 2:
                rows.append((entry, aos, los, elevation))
    return rows


class PassList(unittest.TestCase):
    def test_the_first_rows_are_the_schedule_on_the_screen(self):
        with StationDir() as station:
            shown = schedule_rows(station)
            log = station.read("MIRADOS.LOG")
            listed = run([binary("MIRADOS"), "--passes", "--csv"], station.path, faketime=INSTANT)
            self.assertEqual(listed.returncode, 0, listed.stderr)
            lines = listed.stdout.splitlines()
            self.assertEqual(lines[0],
                             "date,satellite,entry,aos_local,los_local,max_elevation,azimuth_aos,azimuth_los,clears")
            # Every pass of two days, sorted by AOS: far more than the schedule's two per entry.
            self.assertGreater(len(lines) - 1, 60)
            self.assertEqual([line.split(",")[3] for line in lines[1:] if line.startswith("2026-10-10")],
                             sorted(line.split(",")[3] for line in lines[1:] if line.startswith("2026-10-10")))
            self.assertTrue(any(",watched," in line for line in lines))
            self.assertTrue(any(line.endswith(",no") for line in lines))
            # The schedule's rows whose AOS lies in the span: all on 10 October here.
            self.assertEqual(len(shown), 8)
            self.assertEqual(first_high_rows(lines[1:])[:len(shown)], shown)

            table = run([binary("MIRADOS"), "--passes", "2"], station.path, faketime=INSTANT)
            self.assertEqual(table.returncode, 0, table.stderr)
            head = table.stdout.splitlines()
            self.assertEqual(head[0], "Passes from 2026-10-10 00:00:00 for 2 days, in local time "
                                      "(UTC = local time + 0 h)")
            self.assertEqual(head[1], "Clears: the maximum is above the minimum pass elevation of MIRADOS.CFG, "
                                      "10.0 degrees")
            self.assertEqual(head[3].split(), ["Date", "Satellite", "Entry", "AOS", "LOS", "Max", "El", "Az", "AOS",
                                               "Az", "LOS", "Clears"])
            self.assertEqual(len(head) - 4, len(lines) - 1)
            # Nothing of the screen, and nothing logged: the list only reads the station.
            self.assertNotIn("\x1b", table.stdout)
            self.assertEqual(station.read("MIRADOS.LOG"), log)

    def test_errors_of_the_station_files_end_with_status_1_on_standard_error(self):
        with StationDir(demo=["KELVORIN.CFG", "KEPS.TXT"]) as station:
            result = run([binary("MIRADOS"), "--passes"], station.path, faketime=INSTANT)
            self.assertEqual(result.returncode, 1)
            self.assertEqual(result.stdout, "")
            self.assertEqual(result.stderr, "ERROR: Could not find MIRADOS.CFG file! Cannot continue.\n")
            usage = run([binary("MIRADOS"), "--passes", "0"], station.path)
            self.assertEqual(usage.returncode, 2)
            self.assertIn("DAYS must be a number above 0 and at most 10", usage.stderr)


if __name__ == "__main__":
    unittest.main()
