"""kelvorin-elements against a local HTTP server: a good download replaces the element file and
keeps the old one as a backup; a truncated, HTML, empty or missing download leaves it untouched."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

from harness import StationDir, source_dir

# The scheduled and watched satellites of the demo's MIRADOS.CFG all come within its first 11 sets.
OLD_SET_COUNT = 11


def elements_binary():
    """The built command; a run without it is a failure, never a silent pass."""
    path = os.environ.get("KELVORIN_ELEMENTS")
    if not path or not os.access(path, os.X_OK):
        raise RuntimeError("KELVORIN_ELEMENTS is not set to the built kelvorin-elements")
    return path


def demo_sets():
    with open(os.path.join(source_dir(), "demo", "KEPS.TXT"), "rb") as source:
        lines = source.read().decode("latin-1").splitlines()
    return ["\n".join(lines[i:i + 3]) + "\n" for i in range(0, len(lines), 3)]


def kept_once(sets):
    return ("KEPS.TXT: %d kept by catalogue number, 0 replaced by a newer epoch, 0 ignored as older, "
            "0 of the same epoch taken from the later source\n" % sets)


class HttpServer:
    """python3 -m http.server on a free loopback port, serving one directory."""

    def __init__(self, directory):
        self.process = subprocess.Popen(
            ["/usr/bin/python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", directory],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        first = self.process.stdout.readline()
        found = re.search(r"port (\d+)", first)
        if not found:
            self.close()
            raise RuntimeError("http.server did not start: %r" % first)
        self.base = "http://127.0.0.1:%s/" % found.group(1)

    def url(self, name):
        return self.base + name

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.process.stdout.close()


class ElementUpdate(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.binary = elements_binary()
        cls.sets = demo_sets()
        cls.served = tempfile.mkdtemp(prefix="station-www-")
        # The distributor's file names the station's ISS "ISS (ZARYA)"; the alias file renames it.
        good = "".join(cls.sets).replace("ISS\n", "ISS (ZARYA)             \n", 1)
        files = {
            "good.txt": good,
            # Cut inside the fifth set's second line: everything after it is lost.
            "truncated.txt": good[:good.index(cls.sets[4]) + len(cls.sets[4]) - 20],
            "error.html": "<!DOCTYPE html>\n<html><head><title>503 Service Unavailable</title></head>\n"
                          "<body><h1>Service Unavailable</h1></body></html>\n",
            "empty.txt": "",
        }
        for name, content in files.items():
            with open(os.path.join(cls.served, name), "w", encoding="latin-1", newline="") as out:
                out.write(content)
        cls.server = HttpServer(cls.served)

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.served, ignore_errors=True)

    def setUp(self):
        self.old = "".join(self.sets[:OLD_SET_COUNT])
        self.station = StationDir(files={"KEPS.TXT": self.old, "ALIASES.TXT": "; downloaded=station\nISS (ZARYA)=ISS\n"})
        self.addCleanup(self.station.cleanup)

    def run_update(self, *args):
        env = dict(os.environ, no_proxy="127.0.0.1", NO_PROXY="127.0.0.1")
        return subprocess.run([self.binary] + list(args), cwd=self.station.path, env=env,
                              capture_output=True, text=True, timeout=180)

    def assert_untouched(self):
        self.assertEqual(self.station.read_text("KEPS.TXT"), self.old)
        self.assertFalse(self.station.exists("KEPS.TXT.BAK"))

    def test_good_download_replaces_the_file_and_keeps_a_backup(self):
        done = self.run_update("--aliases", "ALIASES.TXT", self.server.url("good.txt"))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(done.stdout, "KEPS.TXT: 25 sets written, 1 renamed, 0 skipped as invalid, "
                                      "previous file kept as KEPS.TXT.BAK\n" + kept_once(25))
        self.assertEqual(done.stderr, "")
        self.assertEqual(self.station.read_text("KEPS.TXT"), "".join(self.sets))
        self.assertEqual(self.station.read_text("KEPS.TXT.BAK"), self.old)

    def test_failed_downloads_leave_the_file_untouched(self):
        cases = {
            "truncated.txt": "the new file would drop AO-7 (MIRADOS.CFG)",
            "error.html": "error.html holds no valid element sets (it begins \"<!DOCTYPE html>\")",
            "empty.txt": "empty.txt is empty",
            "missing.txt": "missing.txt: download failed (HTTP 404)",
        }
        for name, message in cases.items():
            with self.subTest(name):
                done = self.run_update("--aliases", "ALIASES.TXT", self.server.url(name))
                self.assertEqual(done.returncode, 1, done.stderr)
                self.assertIn(message, done.stderr)
                self.assertTrue(done.stderr.endswith("kelvorin-elements: KEPS.TXT not replaced\n"), done.stderr)
                self.assertEqual(done.stdout, "")
                self.assert_untouched()

    def test_force_takes_what_a_truncated_download_holds(self):
        done = self.run_update("--force", "--aliases", "ALIASES.TXT", self.server.url("truncated.txt"))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(done.stdout, "KEPS.TXT: 4 sets written, 1 renamed, 1 skipped as invalid, "
                                      "previous file kept as KEPS.TXT.BAK\n" + kept_once(4))
        self.assertIn("truncated.txt line 13: AO-73: line 2 has 50 columns, not 69; set skipped", done.stderr)
        self.assertEqual(self.station.read_text("KEPS.TXT"), "".join(self.sets[:4]))
        self.assertEqual(self.station.read_text("KEPS.TXT.BAK"), self.old)

    def test_usage(self):
        done = self.run_update("--bogus", self.server.url("good.txt"))
        self.assertEqual(done.returncode, 2)
        self.assertEqual(done.stderr, "kelvorin-elements: unknown option --bogus\n"
                                      "Usage: kelvorin-elements [--force] [--aliases FILE] [--help] SOURCE...\n")
        done = self.run_update("--help")
        self.assertEqual(done.returncode, 0)
        self.assertTrue(done.stdout.startswith("Usage: kelvorin-elements [--force] [--aliases FILE] [--help] SOURCE...\n"))
        self.assert_untouched()


if __name__ == "__main__":
    unittest.main()
