"""contrib/mirados-session: the scheduler runs in a detached 80x25 tmux session in the station
directory with the clock in UTC, and the script ends with the scheduler's exit status, so that a
service manager sees the scheduler end."""

import os
import signal
import subprocess
import time
import unittest

from harness import StationDir, source_dir


def session_script():
    return os.path.join(source_dir(), "contrib", "mirados-session")


def mirados_binary():
    """The built scheduler; a run without it is a failure, never a silent pass."""
    path = os.environ.get("MIRADOS")
    if not path or not os.access(path, os.X_OK):
        raise RuntimeError("MIRADOS is not set to the built mirados")
    return path


class Session:
    """The script started on a socket of its own, with the program it is to run."""

    def __init__(self, test, station, program):
        self.socket = "mirados-e2e-%d-%s" % (os.getpid(), test.id().rsplit(".", 1)[-1])
        env = dict(os.environ, MIRADOS=program, MIRADOS_SOCKET=self.socket, TZ="Europe/Amsterdam")
        self.process = subprocess.Popen([session_script(), station.path], env=env,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        test.addCleanup(self.close)

    def tmux(self, *args):
        return subprocess.run(["tmux", "-L", self.socket] + list(args), capture_output=True, text=True)

    def screen(self):
        return self.tmux("capture-pane", "-p", "-t", "mirados").stdout

    def wait_for_screen(self, text, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if text in self.screen():
                return
            if self.process.poll() is not None:
                raise AssertionError("the script ended (%s): %s" % (self.process.returncode, self.process.stderr.read()))
            time.sleep(0.2)
        raise AssertionError("%r not on the session's screen:\n%s" % (text, self.screen()))

    def wait(self, timeout=30):
        return self.process.wait(timeout=timeout)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.tmux("kill-server")
        for stream in (self.process.stdout, self.process.stderr):
            stream.close()


# The real scheduler runs on the real clock: a pass may be under way when it starts, and its job
# must not take the session's screen and keys for the pass's length.
QUIET_JOBS = {name + ".BAT": "exit 0\n" for name in ("AO-7", "AO-91", "ISS", "SO-50")}


class MiradosSession(unittest.TestCase):
    def test_ends_with_the_program_status_in_80x25_utc_and_the_station_directory(self):
        with StationDir(demo=False) as station:
            station.write("probe.sh", "#!/bin/sh\n{ stty size; echo \"TZ=$TZ\"; pwd; } > probe.txt\nexit 3\n")
            os.chmod(station.file("probe.sh"), 0o755)
            session = Session(self, station, station.file("probe.sh"))
            self.assertEqual(session.wait(), 3, session.process.stderr.read())
            self.assertEqual(station.read_text("probe.txt").splitlines(),
                             ["25 80", "TZ=UTC", os.path.realpath(station.path)])
            # The session is gone with the program.
            self.assertNotEqual(session.tmux("has-session", "-t", "mirados").returncode, 0)

    def test_the_real_scheduler_quits_with_status_0(self):
        with StationDir(files=QUIET_JOBS) as station:
            session = Session(self, station, mirados_binary())
            session.wait_for_screen("SATELLITE PASS SCHEDULER")
            self.assertEqual(session.tmux("display-message", "-p", "-t", "mirados",
                                          "#{window_width}x#{window_height}").stdout, "80x25\n")
            session.tmux("send-keys", "-t", "mirados", "q")
            self.assertEqual(session.wait(), 0, session.process.stderr.read())

    def test_a_stop_request_ends_the_session_and_the_scheduler(self):
        with StationDir(files=QUIET_JOBS) as station:
            session = Session(self, station, mirados_binary())
            session.wait_for_screen("SATELLITE PASS SCHEDULER")
            pid = int(session.tmux("display-message", "-p", "-t", "mirados", "#{pane_pid}").stdout)
            session.process.send_signal(signal.SIGTERM)
            self.assertEqual(session.wait(), 0)
            deadline = time.monotonic() + 15
            while os.path.exists("/proc/%d" % pid) and time.monotonic() < deadline:
                time.sleep(0.1)
            self.assertFalse(os.path.exists("/proc/%d" % pid), "mirados still runs")

    def test_a_second_session_on_the_same_socket_is_refused(self):
        with StationDir(files=QUIET_JOBS) as station:
            first = Session(self, station, mirados_binary())
            first.wait_for_screen("SATELLITE PASS SCHEDULER")
            env = dict(os.environ, MIRADOS=mirados_binary(), MIRADOS_SOCKET=first.socket)
            second = subprocess.run([session_script(), station.path], env=env, capture_output=True, text=True,
                                    timeout=30)
            self.assertEqual(second.returncode, 1)
            self.assertIn("a session mirados already runs", second.stderr)
            first.tmux("send-keys", "-t", "mirados", "q")
            self.assertEqual(first.wait(), 0)


if __name__ == "__main__":
    unittest.main()
