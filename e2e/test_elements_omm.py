"""kelvorin-elements with OMM sources against python3-sgp4 (OMM reader, two-line exporter,
propagator); downloads against a local HTTP server; the running programs reading a replaced file."""

import csv
import glob
import http.server
import json
import os
import subprocess
import threading
import unittest
import xml.etree.ElementTree as ET

from sgp4 import omm
from sgp4.api import Satrec
from sgp4.exporter import export_omm, export_tle

from harness import Program, StationDir, binary, source_dir
from test_elements import elements_binary
from test_scheduler import mirados_cfg

# The demo's sets (the shared 2026 sets) and, beside the repository, the older shared sets.
SET_FILES = [os.path.join(source_dir(), "demo", "KEPS.TXT")] + \
    sorted(glob.glob(os.path.join(source_dir(), "..", "shared", "data", "older-epochs.txt")))
# Catalogue numbers above 99999 and their five columns; ISS's elements under other numbers.
ALPHA5 = {100000: "A0000", 180000: "J0000", 234567: "P4567", 339999: "Z9999"}
# The XML groups of the keys in the order the reference's exporter gives them.
XML_GROUPS = {"metadata": slice(0, 6), "meanElements": slice(6, 13), "tleParameters": slice(13, None)}


def omm_records():
    lines = []
    for path in SET_FILES:
        with open(path, encoding="latin-1") as sets:
            lines += sets.read().splitlines()
    records = [export_omm(Satrec.twoline2rv(lines[i + 1], lines[i + 2]), lines[i])
               for i in range(0, len(lines), 3)]
    for number in ALPHA5:
        records.append(dict(records[0], OBJECT_NAME="HIGH-%d" % number, NORAD_CAT_ID=number))
    return records


def write_sources(directory, records):
    """The records as JSON, CSV and XML files; the form is told by the content, not the name."""
    with open(os.path.join(directory, "group-json"), "w") as out:
        json.dump(records, out)
    with open(os.path.join(directory, "group-csv"), "w", newline="") as out:
        writer = csv.DictWriter(out, fieldnames=list(records[0]))
        writer.writeheader()
        writer.writerows(records)
    ndm = ET.Element("ndm")
    for record in records:
        data = ET.Element("data")
        segment = ET.SubElement(ET.SubElement(ET.SubElement(ndm, "omm"), "body"), "segment")
        for group, keys in XML_GROUPS.items():
            parent = ET.SubElement(segment, "metadata") if group == "metadata" else ET.SubElement(data, group)
            for key in list(record)[keys]:
                ET.SubElement(parent, key).text = str(record[key])
        segment.append(data)
    ET.ElementTree(ndm).write(os.path.join(directory, "group-xml"), xml_declaration=True, encoding="UTF-8")


def reference_records(path, form):
    with open(path) as source:
        return json.load(source) if form == "json" else list(omm.parse_csv(source) if form == "csv" else
                                                              omm.parse_xml(source))


def written_sets(text):
    lines = text.splitlines()
    return {lines[i]: (lines[i + 1], lines[i + 2]) for i in range(0, len(lines), 3)}


def run_update(station, *args, faketime=None):
    command = (["faketime", "-f", faketime] if faketime else []) + [elements_binary()] + list(args)
    env = dict(os.environ, no_proxy="127.0.0.1", NO_PROXY="127.0.0.1")
    return subprocess.run(command, cwd=station.path, env=env, capture_output=True, text=True, timeout=180)


class OmmSources(unittest.TestCase):
    def test_every_form_matches_the_reference(self):
        records = omm_records()
        with StationDir() as station:
            write_sources(station.path, records)
            for form in ("json", "csv", "xml"):
                with self.subTest(form):
                    done = run_update(station, "group-" + form)
                    self.assertEqual(done.returncode, 0, done.stderr)
                    # Each form gives the same file as the first.
                    self.assertIn("KEPS.TXT: %d sets%s" % (len(records), " written" if form == "json" else
                                                           ", the same as before: not written"), done.stdout)
                    written = written_sets(station.read_text("KEPS.TXT"))
                    for fields in reference_records(station.file("group-" + form), form):
                        self.check_set(fields, *written[fields["OBJECT_NAME"]])

    def check_set(self, fields, line1, line2):
        reference = Satrec()
        omm.initialize(reference, fields)
        mine = Satrec.twoline2rv(line1, line2)
        number = int(fields["NORAD_CAT_ID"])
        self.assertEqual(mine.satnum, number)
        if number in ALPHA5:
            self.assertEqual((line1[2:7], line2[2:7]), (ALPHA5[number],) * 2)
        else:
            for written, expected in zip((line1, line2), export_tle(reference)):
                differ = [c + 1 for c in range(68) if written[c] != expected[c]]
                # The reference writes a B* of zero with a "+" exponent, the element services "-".
                allowed = [60] if written[0] == "1" and float(fields["BSTAR"]) == 0 else []
                self.assertEqual([c for c in differ if c not in allowed], [], (written, expected))
        for minutes in range(0, 1441, 20):
            jd, fraction = reference.jdsatepoch, reference.jdsatepochF + minutes / 1440.0
            (_, a, _), (_, b, _) = reference.sgp4(jd, fraction), mine.sgp4(jd, fraction)
            self.assertLess(sum((x - y) ** 2 for x, y in zip(a, b)) ** 0.5, 0.010, (fields["OBJECT_NAME"], minutes))


class Server(http.server.SimpleHTTPRequestHandler):
    """Serves the test's directory, /status/NNN answering NNN; keeps each If-Modified-Since."""
    requests = []
    log_message = lambda self, *args: None  # noqa: E731

    def do_GET(self):
        Server.requests.append(self.headers.get("If-Modified-Since"))
        self.send_error(int(self.path[8:])) if self.path.startswith("/status/") else super().do_GET()


class PoliteDownloads(unittest.TestCase):
    def test_cache_conditional_requests_and_refusals(self):
        with StationDir() as station:
            write_sources(station.path, omm_records()[:25])
            server = http.server.ThreadingHTTPServer(
                ("127.0.0.1", 0), lambda *a: Server(*a, directory=station.path))
            threading.Thread(target=server.serve_forever, daemon=True).start()
            self.addCleanup(server.server_close)
            self.addCleanup(server.shutdown)
            url = "http://127.0.0.1:%d/" % server.server_port
            Server.requests.clear()
            self.assertEqual(run_update(station, url + "group-json").returncode, 0)
            done = run_update(station, url + "group-json")
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertIn(url + "group-json: fetched 0 minutes ago, taken from the cache (--force fetches it "
                          "again)\n", done.stdout)
            self.assertEqual(len(Server.requests), 1)
            for options, faketime in (((), "+3h"), (("--force",), None)):
                done = run_update(station, *options, url + "group-json", faketime=faketime)
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertIn(url + "group-json: not modified since ", done.stdout)
                self.assertIsNotNone(Server.requests[-1])
            self.assertEqual(len(Server.requests), 3)
            kept = station.read_text("KEPS.TXT")
            for status in (403, 429, 503):
                done = run_update(station, "%sstatus/%d" % (url, status))
                self.assertEqual(done.returncode, 1)
                self.assertIn("status/%d: refused by the server (HTTP %d): the old file is kept\n" % (status, status),
                              done.stderr)
                self.assertEqual(station.read_text("KEPS.TXT"), kept)


class RunningPrograms(unittest.TestCase):
    def test_a_replaced_file_is_read_at_the_next_pass_search_and_the_next_cycle(self):
        # NEWSAT is not in the old file: neither program would find it without reading the new one.
        # The job of ISS's pass updates the file and has the scheduler watch NEWSAT from then on.
        records = omm_records()
        files = {"new.json": json.dumps(records[:25] + [dict(records[0], OBJECT_NAME="NEWSAT", NORAD_CAT_ID=100000)]),
                 "MIRADOS.CFG": mirados_cfg("ISS"), "NEXT.CFG": mirados_cfg("ISS", watched="NEWSAT"),
                 "ISS.BAT": "'%s' new.json\ncp NEXT.CFG MIRADOS.CFG\n" % elements_binary(),
                 "KVFLIP.DAT": " 0 \r\n", "KELVORIN.CMD": "ISS\r\n"}
        with StationDir(files=files) as station, \
                Program([binary("KELVORIN")], station, faketime="2026-10-10 13:05:00", speed=10) as tracker, \
                Program([binary("MIRADOS")], station, faketime="2026-10-10 13:05:00", speed=10) as scheduler:
            tracker.wait_for("Your Keps for ISS", row=7, column=53)
            scheduler.wait_for("NEWSAT", row=8, column=42, timeout=60)
            scheduler.wait_for("Waiting for ISS", row=4)
            station.write("KELVORIN.CMD", "NEWSAT\r\n")
            tracker.wait_for("Your Keps for NEWSAT", row=7, column=53)
            for program in (tracker, scheduler):
                program.send("Q")
                self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
