"""The tracker reads the station position from a GPS receiver on a pseudo-terminal serial port."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Program, SerialPeer, StationDir, binary, station_config  # noqa: E402

GPS_PORT = 3
START = "2026-10-01 12:00:00"




def gll(time_stamp):
    return "$GPGLL,4916.45,N,12311.12,W,%s,A,*1D\r\n" % time_stamp


def rmc(time_stamp):
    return "$GPRMC,%s,A,3351.500,S,15112.250,E,022.4,084.4,230394,003.1,W*6A\r\n" % time_stamp


class GpsReadTest(unittest.TestCase):
    def setUp(self):
        self.kelvorin = binary("KELVORIN")

    def start(self, station):
        return Program([self.kelvorin], station, faketime=START)

    def test_two_time_stamps_give_the_position_and_the_record(self):
        config = station_config(v37=GPS_PORT, v38=4800, v39=1, v40=1)
        with StationDir(files={"KELVORIN.CFG": config}) as station, \
                SerialPeer(station, GPS_PORT) as gps, self.start(station) as program:
            program.wait_for("GPS", row=21, column=70)
            program.wait_for("Reading GPS...", row=24, timeout=30)
            gps.write("$GPGGA,225443,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n")
            gps.write(gll("225444"))
            gps.write(gll("225445"))
            program.wait_for("Reading GPS...  OK!", row=24)
            self.assertEqual(program.text_at(24, 3, 20), "Reading GPS...  OK! ")
            self.assertEqual(station.read("KELVORIN.GPS"), b"$GPGLL,4916.45,N,12311.12,W,225445,A,*1D\r\r\n")
            program.wait_gone("Reading GPS", row=24)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)

    def test_silent_receiver_fails_and_leaves_no_record(self):
        config = station_config(v37=GPS_PORT, v38=4800, v39=1, v40=1)
        with StationDir(files={"KELVORIN.CFG": config}) as station, \
                SerialPeer(station, GPS_PORT), self.start(station) as program:
            program.wait_for("Reading GPS...", row=24, timeout=30)
            program.wait_for("Reading GPS...  FAILED!", row=24, timeout=30)
            # The date and time line kept running through the read.
            self.assertRegex(program.text_at(4, 3, 21), r"^ 1-OCT-2026  12:00:\d\d$")
            self.assertFalse(station.exists("KELVORIN.GPS"))
            program.wait_gone("Reading GPS", row=24)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)

    def test_gps_key_in_manual_mode_reads_the_configured_type(self):
        config = station_config(v37=GPS_PORT, v38=9600, v39=1, v40=3)
        with StationDir(files={"KELVORIN.CFG": config, "KELVORIN.CMD": "NONE\r\n"}) as station, \
                SerialPeer(station, GPS_PORT) as gps, self.start(station) as program:
            program.wait_for("Idling", row=4)
            program.send("m")
            program.wait_for("Manual      ", row=22, column=25)
            program.send("g")
            program.wait_for("Reading GPS...", row=24)
            gps.write(gll("010203") + rmc("010203") + gll("010204") + rmc("010204"))
            program.wait_for("Reading GPS...  OK!", row=24)
            self.assertEqual(station.read("KELVORIN.GPS"),
                             b"$GPRMC,010204,A,3351.500,S,15112.250,E,022.4,084.4,230394,003.1,W*6A\r\r\n")
            program.wait_gone("Reading GPS", row=24)
            program.send("q")
            self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
