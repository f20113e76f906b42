"""End-to-end test harness: the real programs in a pseudo-terminal, read back as a screen.

Every e2e test (e2e/test_<area>.py, a plain ``unittest`` module run with /usr/bin/python3) builds
on three classes:

``StationDir``
    A temporary station directory: the demo station (``<source>/demo``) copied in, or only the
    files a test names, plus files written by the test. Removed on ``cleanup()`` / ``with`` exit.

``Program``
    One program started in a pseudo-terminal of 80x25 (TERM=xterm-256color, LANG=C.UTF-8),
    optionally under libfaketime with an absolute start time and a speed factor. Its output is
    fed to a ``pyte`` screen, so a test reads rows and cells exactly as an operator sees them.
    Waits are for screen content, never for a duration: nothing here asserts timings.

``SerialPeer``
    A ``socat`` pseudo-terminal pair. One end is linked as ``COMn`` in the station directory, where
    the program opens it as serial port n; the test holds the other end and reads and writes raw
    bytes.

Binaries come from the environment (set by CTest): ``KELVORIN``, ``MIRADOS`` and
``CONSOLE_PROBE``; ``binary(name)`` returns the path or skips the test when it is not set.

A typical test::

    import unittest
    from harness import StationDir, Program, SerialPeer, binary, KEY_UP

    class TrackerTest(unittest.TestCase):
        def test_title(self):
            with StationDir() as station, SerialPeer(station, 2) as rotator, \\
                    Program([binary("KELVORIN")], station,
                            faketime="2026-10-01 12:00:00") as program:
                program.wait_for("SATELLITE TRACKING SYSTEM", row=2)
                program.send("q")
                self.assertEqual(program.wait_exit(), 0)
                self.assertEqual(rotator.read(), b"...")

    if __name__ == "__main__":
        unittest.main()

Every process started here is ended by ``close()`` (also on ``with`` exit and at interpreter exit).
"""

import atexit
import errno
import glob
import os
import select
import shutil
import signal
import subprocess
import tempfile
import termios
import time
import tty
import unittest

import pexpect
import pyte

ROWS = 25
COLUMNS = 80

# Keys as an xterm sends them once a program has asked for keypad-transmit mode (as the
# programs do); the programs also accept the normal forms ESC [ A .. ESC [ D.
KEY_UP = "\x1bOA"
KEY_DOWN = "\x1bOB"
KEY_RIGHT = "\x1bOC"
KEY_LEFT = "\x1bOD"
KEY_ENTER = "\r"
KEY_BACKSPACE = "\x7f"
KEY_ESCAPE = "\x1b"

# PC palette numbers of the eight ANSI colour indices (ANSI orders red before blue, the PC the
# other way round). Bright ANSI colours 8..15 are the PC colours 8..15 in the same order.
_PC_OF_ANSI = [0, 4, 2, 6, 1, 5, 3, 7]
_ANSI_NAMES = ["black", "red", "green", "brown", "blue", "magenta", "cyan", "white"]
_ANSI_OF_HEX = {hexcode: index for index, hexcode in enumerate(pyte.graphics.FG_BG_256[:16])}

_live = set()


def _close_all():
    for item in list(_live):
        item.close()


atexit.register(_close_all)


def source_dir():
    """The project's source tree (STATION_SOURCE_DIR, else the parent of this file)."""
    return os.environ.get("STATION_SOURCE_DIR") or os.path.dirname(os.path.dirname(os.path.abspath(__file__)))



def station_config(**values):
    """The demo KELVORIN.CFG with some values replaced, keyed by their position among the value lines (v18="Y" sets value 18)."""
    with open(os.path.join(source_dir(), "demo", "KELVORIN.CFG"), "rb") as source:
        lines = source.read().decode("latin-1").splitlines()
    position = 0
    for index, line in enumerate(lines):
        if line.startswith(";"):
            continue
        position += 1
        key = "v%d" % position
        if key in values:
            lines[index] = str(values[key])
    return "\r\n".join(lines) + "\r\n"

def mirados_cfg(*scheduled):
    """A MIRADOS.CFG with these scheduled entries, no watched ones, minimum pass elevation 10."""
    entries = list(scheduled) + [""] * (15 - len(scheduled))
    return "; scheduled\n" + "\n".join(entries) + "\n; watched\n" + "\n" * 15 + "10\n1\n15\n14\n"


def clock_text(moment):
    """A datetime as faketime's absolute start ("YYYY-MM-DD hh:mm:ss")."""
    return moment.strftime("%Y-%m-%d %H:%M:%S")


def binary(variable):
    """The program path named by an environment variable (KELVORIN, MIRADOS, CONSOLE_PROBE).

    Skips the calling test when the variable is not set or names no executable file."""
    path = os.environ.get(variable)
    if not path or not os.access(path, os.X_OK):
        raise unittest.SkipTest("%s is not set to a built program" % variable)
    return path


def faketime_library():
    """Path of the libfaketime preload library, or None when it is not installed."""
    found = sorted(glob.glob("/usr/lib/*/faketime/libfaketime.so.1") + glob.glob("/usr/lib/faketime/libfaketime.so.1"))
    return found[0] if found else None


class StationDir:
    """A temporary station directory.

    ``StationDir()`` copies every file of the demo station; ``StationDir(demo=False)`` starts
    empty; ``StationDir(files={"KELVORIN.CFG": text, ...})`` writes those files after the copy
    (values may be str or bytes, written exactly, no line ends added). ``demo`` may also be a
    list of demo file names to copy only those.
    """

    def __init__(self, demo=True, files=None):
        self.path = tempfile.mkdtemp(prefix="station-e2e-")
        _live.add(self)
        demo_dir = os.path.join(source_dir(), "demo")
        if demo:
            names = os.listdir(demo_dir) if demo is True else list(demo)
            for name in names:
                source = os.path.join(demo_dir, name)
                if os.path.isfile(source):
                    shutil.copy2(source, os.path.join(self.path, name))
        for name, content in (files or {}).items():
            self.write(name, content)

    def file(self, name):
        """Absolute path of a file of the directory."""
        return os.path.join(self.path, name)

    def write(self, name, content):
        """Writes a file whole; str is written as Latin-1 bytes (code page bytes pass through)."""
        data = content.encode("latin-1") if isinstance(content, str) else bytes(content)
        with open(self.file(name), "wb") as out:
            out.write(data)

    def read(self, name):
        """The file's bytes."""
        with open(self.file(name), "rb") as source:
            return source.read()

    def read_text(self, name):
        """The file as text (Latin-1, so every byte survives)."""
        return self.read(name).decode("latin-1")

    def exists(self, name):
        return os.path.exists(self.file(name))

    def cleanup(self):
        _live.discard(self)
        shutil.rmtree(self.path, ignore_errors=True)

    close = cleanup

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.cleanup()


class _Screen(pyte.Screen):
    """A pyte screen with two things pyte 0.8 lacks and ncurses uses on xterm-256color.

    Bright colours: pyte gives the codes 90..97 / 100..107 the same names as 30..37 / 40..47; they
    are turned into their 256-colour forms (indices 8..15), which pyte reports as distinct hex
    values. Repeat (CSI n b): ncurses sends a run of one character as the character followed by
    a repeat count."""

    _last_character = None

    def draw(self, data):
        super().draw(data)
        if data:
            self._last_character = data[-1]

    def repeat_last_character(self, count=1, *rest, **kwargs):
        if self._last_character is not None and count > 0:
            self.draw(self._last_character * count)

    def select_graphic_rendition(self, *attrs, **kwargs):
        translated = []
        for attr in attrs:
            if 90 <= attr <= 97:
                translated += [38, 5, attr - 90 + 8]
            elif 100 <= attr <= 107:
                translated += [48, 5, attr - 100 + 8]
            else:
                translated.append(attr)
        super().select_graphic_rendition(*translated, **kwargs)


class _Stream(pyte.ByteStream):
    csi = dict(pyte.ByteStream.csi, b="repeat_last_character")


def _pc_colour(value, bold=False):
    if value in _ANSI_NAMES:
        index = _ANSI_NAMES.index(value)
    elif value in _ANSI_OF_HEX:
        index = _ANSI_OF_HEX[value]
    else:
        return None
    pc = _PC_OF_ANSI[index % 8] + (8 if index >= 8 else 0)
    if bold and pc < 8:
        pc += 8
    return pc


class FakeClock:
    """A clock that tests set while the programs run: a libfaketime timestamp file, read anew at
    every clock reading (FAKETIME_TIMESTAMP_FILE with FAKETIME_NO_CACHE=1).

    FakeClock(start, speed=None): ``start`` a ``datetime``; pass it as ``faketime=`` to
    ``Program``. ``step(timedelta)`` sets every program's clock forward (or back) by that much
    at once; the clocks run on from there at the same speed. Removed on ``close()``."""

    def __init__(self, start, speed=None):
        handle, self.path = tempfile.mkstemp(prefix="faketime-", suffix=".txt")
        os.close(handle)
        os.chmod(self.path, 0o644)
        _live.add(self)
        self.start = start
        self.speed = speed
        self._write()

    def _write(self):
        setting = "@" + self.start.strftime("%Y-%m-%d %H:%M:%S")
        if self.speed is not None:
            setting += " x%g" % self.speed
        # Replaced whole, so that no reading finds half a setting.
        temporary = self.path + ".new"
        with open(temporary, "w") as out:
            out.write(setting + "\n")
        os.chmod(temporary, 0o644)
        os.replace(temporary, self.path)

    def step(self, delta):
        """Sets the clocks by `delta` (a timedelta; negative sets them back)."""
        self.start += delta
        self._write()

    def close(self):
        _live.discard(self)
        for path in (self.path, self.path + ".new"):
            if os.path.exists(path):
                os.unlink(path)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def unprivileged():
    """For ``Program(user=...)``: runs the program as the user nobody when the tests run as
    root (the superuser writes into read-only directories); None otherwise."""
    return 65534 if os.geteuid() == 0 else None


class Program:
    """One program running in an 80x25 pseudo-terminal, its output rendered by pyte.

    Program(argv, cwd, faketime=None, speed=None, env=None, rows=25, columns=80, term=...)

    ``argv``      the command (list; argv[0] the program path, see ``binary``).
    ``cwd``       working directory: a ``StationDir`` or a path.
    ``faketime``  "YYYY-MM-DD hh:mm:ss": the program's clock starts there (libfaketime preloaded,
                  FAKETIME_DONT_RESET=1 so that jobs it starts go on from its time, not restart);
                  or a ``FakeClock`` that the test sets while the program runs.
    ``speed``     a clock speed factor under faketime (10 runs ten times faster; sleeps shrink).
    ``frozen``    with faketime: the clock stands still at that time (sleeps still take time).
    ``env``       extra environment variables.
    ``rows``/``columns`` the terminal size (e.g. 20x60 to see the "enlarge" message).
    ``user``      a user id to run the program as (see ``unprivileged``); None: the test's own.

    Rows and columns are 1-based everywhere, as on the station's screens. Screen texts are
    Unicode as rendered (box characters are the Unicode equivalents of code page 437).
    """

    def __init__(self, argv, cwd, faketime=None, speed=None, env=None, rows=ROWS, columns=COLUMNS,
                 term="xterm-256color", frozen=False, user=None):
        self.rows = rows
        self.columns = columns
        self.screen = _Screen(columns, rows)
        self.stream = _Stream(self.screen)
        self.output = bytearray()
        self.exit_status = None
        self._eof = False
        directory = cwd.path if isinstance(cwd, StationDir) else str(cwd)
        environment = dict(os.environ)
        environment.update({"TERM": term, "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
        # The size comes from the pseudo-terminal alone, so that a resize is seen.
        for name in ("LD_PRELOAD", "LINES", "COLUMNS"):
            environment.pop(name, None)
        if faketime is not None:
            library = faketime_library()
            if library is None:
                raise unittest.SkipTest("libfaketime is not installed")
            environment.update({"LD_PRELOAD": library, "FAKETIME_DONT_RESET": "1"})
            if isinstance(faketime, FakeClock):
                environment.pop("FAKETIME", None)
                environment.update({"FAKETIME_TIMESTAMP_FILE": faketime.path, "FAKETIME_NO_CACHE": "1"})
            else:
                setting = faketime if frozen else "@" + faketime
                if speed is not None and not frozen:
                    setting += " x%g" % speed
                environment["FAKETIME"] = setting
        environment.update(env or {})

        def become_user():
            os.setgroups([])
            os.setgid(user)
            os.setuid(user)

        self.child = pexpect.spawn(argv[0], list(argv[1:]), cwd=directory, env=environment,
                                   dimensions=(rows, columns), encoding=None,
                                   preexec_fn=become_user if user is not None else None)
        _live.add(self)

    # ----- reading the screen -------------------------------------------------------------

    def pump(self, timeout=0.05):
        """Feeds whatever output arrives within `timeout` seconds to the screen. True if any did."""
        got = False
        deadline = time.monotonic() + timeout
        while not self._eof:
            remaining = max(0.0, deadline - time.monotonic())
            try:
                data = self.child.read_nonblocking(65536, timeout=remaining)
            except pexpect.TIMEOUT:
                break
            except pexpect.EOF:
                self._eof = True
                break
            self.output += data
            self.stream.feed(data)
            got = True
            if time.monotonic() >= deadline:
                break
        return got

    def row(self, n):
        """Text of screen row n (1-based), all columns, trailing blanks kept."""
        self.pump(0)
        line = self.screen.buffer[n - 1]
        return "".join(line[column].data for column in range(self.columns))

    def text_at(self, row, column, length):
        """`length` characters of a row from a column (1-based)."""
        return self.row(row)[column - 1:column - 1 + length]

    def screen_text(self):
        """The whole screen, rows joined by newlines, trailing blanks of each row removed."""
        return "\n".join(self.row(n).rstrip() for n in range(1, self.rows + 1))

    def cell(self, row, column):
        """The pyte character cell (data, fg, bg, bold, reverse...) at a 1-based position."""
        self.pump(0)
        return self.screen.buffer[row - 1][column - 1]

    def fg_colour(self, row, column):
        """PC colour number 0..15 of a cell's foreground (bold counts as bright), None if default."""
        cell = self.cell(row, column)
        return _pc_colour(cell.fg, cell.bold)

    def bg_colour(self, row, column):
        """PC colour number 0..15 of a cell's background, None for the terminal's default."""
        return _pc_colour(self.cell(row, column).bg)

    def cursor(self):
        """(row, column) of the cursor, 1-based, and whether it is visible."""
        self.pump(0)
        return self.screen.cursor.y + 1, self.screen.cursor.x + 1, not self.screen.cursor.hidden

    def dump(self):
        """The screen with row numbers, for failure messages."""
        return "\n".join("%2d|%s|" % (n, self.row(n)) for n in range(1, self.rows + 1))

    # ----- waiting ------------------------------------------------------------------------

    def wait_until(self, predicate, timeout=15, message="condition"):
        """Pumps output until predicate() is true; fails the test with the screen on timeout."""
        deadline = time.monotonic() + timeout
        while True:
            self.pump(0)
            if predicate():
                return
            if time.monotonic() > deadline:
                raise AssertionError("timed out waiting for %s; screen:\n%s" % (message, self.dump()))
            if self._eof and not self.pump(0):
                if predicate():
                    return
                raise AssertionError("program ended while waiting for %s; screen:\n%s" % (message, self.dump()))
            self.pump(0.05)

    def wait_for(self, text, timeout=15, row=None, column=None):
        """Waits until `text` shows anywhere (or on `row`, or at `row`, `column`); returns its row."""
        found = []

        def shown():
            rows = [row] if row is not None else range(1, self.rows + 1)
            for n in rows:
                line = self.row(n)
                if (column is None and text in line) or (column is not None and line[column - 1:].startswith(text)):
                    found.append(n)
                    return True
            return False

        where = "" if row is None else (" on row %d" % row if column is None else " at %d,%d" % (row, column))
        self.wait_until(shown, timeout, "%r%s" % (text, where))
        return found[0]

    def wait_gone(self, text, timeout=15, row=None):
        """Waits until `text` no longer shows (anywhere, or on `row`)."""
        def gone():
            return text not in (self.row(row) if row is not None else self.screen_text())
        self.wait_until(gone, timeout, "%r to go" % text)

    # ----- input --------------------------------------------------------------------------

    def send(self, keys):
        """Types keys (str or bytes); use KEY_UP etc. for arrows, "\\r" for Enter."""
        self.child.send(keys.encode("utf-8") if isinstance(keys, str) else keys)

    def send_line(self, text):
        """Types text followed by Enter."""
        self.send(text + KEY_ENTER)

    def up(self):
        self.send(KEY_UP)

    def down(self):
        self.send(KEY_DOWN)

    def left(self):
        self.send(KEY_LEFT)

    def right(self):
        self.send(KEY_RIGHT)

    def resize(self, rows, columns):
        """Changes the terminal size (the program gets SIGWINCH); the pyte screen follows."""
        self.rows, self.columns = rows, columns
        self.screen.resize(rows, columns)
        self.child.setwinsize(rows, columns)

    # ----- process ------------------------------------------------------------------------

    @property
    def pid(self):
        return self.child.pid

    def alive(self):
        return self.child.isalive()

    def signal(self, number):
        """Sends a signal (signal.SIGTERM...) to the program itself."""
        os.kill(self.child.pid, number)

    def wait_exit(self, timeout=15):
        """Waits for the program to end and returns its exit status (minus the signal number
        when a signal killed it). Fails the test when it is still running after `timeout`."""
        deadline = time.monotonic() + timeout
        while self.child.isalive():
            if time.monotonic() > deadline:
                raise AssertionError("program still running after %ss; screen:\n%s" % (timeout, self.dump()))
            self.pump(0.05)
        while self.pump(0.1):
            pass
        if self.child.signalstatus is not None:
            self.exit_status = -self.child.signalstatus
        else:
            self.exit_status = self.child.exitstatus
        return self.exit_status

    def terminal_modes(self):
        """The line-discipline modes the program left on its terminal (valid after it ended too):
        a dict with 'echo', 'canonical', 'signals', 'output_processing', 'flow_control'."""
        iflag, oflag, _, lflag, _, _, _ = termios.tcgetattr(self.child.child_fd)
        return {"echo": bool(lflag & termios.ECHO), "canonical": bool(lflag & termios.ICANON),
                "signals": bool(lflag & termios.ISIG), "output_processing": bool(oflag & termios.OPOST),
                "flow_control": bool(iflag & termios.IXON)}

    def close(self):
        """Ends the program (SIGTERM, then SIGKILL) and releases the terminal."""
        _live.discard(self)
        try:
            if self.child.isalive():
                self.child.kill(signal.SIGTERM)
                deadline = time.monotonic() + 3
                while self.child.isalive() and time.monotonic() < deadline:
                    self.pump(0.05)
                if self.child.isalive():
                    self.child.kill(signal.SIGKILL)
            self.child.close(force=True)
        except (OSError, pexpect.ExceptionPexpect):
            pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class SerialPeer:
    """The far end of serial port n: a socat pty pair, one end linked as COMn in the directory.

    SerialPeer(directory, port=1, name=None): ``directory`` is a StationDir or path; ``name``
    overrides the link name (for example "com2" to test a lower-case name). Create it before the
    program starts, since the program looks for COMn when it opens the port.

    ``read()``        every byte received since the last read (non-blocking), as bytes.
    ``received``      every byte received so far (read() also appends here).
    ``wait_for_bytes(expected, timeout)`` waits until `received` contains `expected` (bytes)
                      or, given an int, holds at least that many bytes; returns `received`.
    ``write(data)``   sends bytes (or Latin-1 text) to the program.
    """

    def __init__(self, directory, port=1, name=None):
        base = directory.path if isinstance(directory, StationDir) else str(directory)
        self.link = os.path.join(base, name or "COM%d" % port)
        self.peer_link = os.path.join(base, ".serial-peer-%d" % port)
        self.received = bytearray()
        self.fd = None
        self.process = subprocess.Popen(
            ["socat", "PTY,link=%s,raw,echo=0" % self.link, "PTY,link=%s,raw,echo=0" % self.peer_link],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _live.add(self)
        deadline = time.monotonic() + 10
        while not (os.path.exists(self.link) and os.path.exists(self.peer_link)):
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.close()
                raise RuntimeError("socat did not make the pty pair for %s" % self.link)
            time.sleep(0.02)
        self.fd = os.open(self.peer_link, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        tty.setraw(self.fd)
        attributes = termios.tcgetattr(self.fd)
        attributes[0] &= ~(termios.IXON | termios.IXOFF | termios.IXANY)
        termios.tcsetattr(self.fd, termios.TCSANOW, attributes)

    def read(self):
        chunk = bytearray()
        while self.fd is not None:
            try:
                data = os.read(self.fd, 65536)
            except OSError as error:
                if error.errno in (errno.EAGAIN, errno.EIO):
                    break
                raise
            if not data:
                break
            chunk += data
        self.received += chunk
        return bytes(chunk)

    def wait_for_bytes(self, expected, timeout=15):
        deadline = time.monotonic() + timeout
        while True:
            self.read()
            if (isinstance(expected, int) and len(self.received) >= expected) or \
                    (not isinstance(expected, int) and bytes(expected) in self.received):
                return bytes(self.received)
            if time.monotonic() > deadline:
                raise AssertionError("timed out waiting for %r on %s; received %r"
                                     % (expected, os.path.basename(self.link), bytes(self.received)))
            select.select([self.fd], [], [], 0.05)

    def write(self, data):
        data = data.encode("latin-1") if isinstance(data, str) else bytes(data)
        while data:
            try:
                written = os.write(self.fd, data)
            except OSError as error:
                if error.errno != errno.EAGAIN:
                    raise
                select.select([], [self.fd], [], 0.05)
                continue
            data = data[written:]

    def close(self):
        _live.discard(self)
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        for path in (self.link, self.peer_link):
            if os.path.islink(path):
                os.unlink(path)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
