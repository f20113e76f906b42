#!/usr/bin/env bash
# What the programs cost while they only wait, this build beside an earlier commit, in one run:
#   - kelvorin idle (KELVORIN.CMD says NONE), waiting for a pass and tracking one; mirados waiting
#     for its first pass and while its job runs: CPU time (user + system, /proc/PID/stat) in % of
#     one core, and wake-ups per second (voluntary context switches, /proc/PID/status), over a
#     window of wall time each: first as started, then after the wall clock is set forward by an
#     hour, then after it is set back by an hour (the monotonic clock left alone);
#   - kelvorin's reactions (median of the tries): a key ("M" and "A" in turn, until the selection
#     field shows the new mode), a KELVORIN.CMD replaced by a rename (until the status line
#     changes, and until it names the new satellite after the pass search), and the once-a-second update (from the clock's change of second until
#     the date and time line shows the new second).
# Each program runs in an 80x25 pseudo-terminal in a copy of the demo station, under faketime
# with a whole number of seconds added to the clock, read from an offset file at every reading
# (FAKETIME_NO_CACHE=1, FAKETIME_DONT_FAKE_MONOTONIC=1): its seconds change when the real ones do,
# the update's delay can be read from the real clock, and the steps are changes of that file. The
# reactions take no steps, so there the offset is read once (the default cache): a read of the file
# at every clock reading is the benchmark's cost, not the program's.
#
#   bench/idle_cost.sh [earlier commit, default: where this branch left main] [seconds per window, default 60]
#
# A window of 0 seconds measures the reactions only.
#
# The earlier commit is built (kelvorin and mirados, Release) in a temporary git worktree, or
# taken from IDLE_COST_BASE_BUILD (a build folder of it). Needs /usr/bin/python3 with pexpect
# and pyte, and libfaketime. Targets: at most 0.2 % of one core and 10 wake-ups a second
# (mirados waiting: 4), before and after the steps; reactions at most 5 ms. A benchmark, never a
# test: the figures depend on the machine and on its load.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
base=${1:-$(git -C "$top" merge-base HEAD main)}
seconds=${2:-60}
tries=${IDLE_COST_TRIES:-50}
for program in kelvorin mirados; do
    [ -x "$top/build/$program" ] || { echo "no $program in $top/build (build it first)"; exit 1; }
done

. "$top/bench/earlier_build.sh"
build_earlier "$top" "$base" "${IDLE_COST_BASE_BUILD:-}" kelvorin mirados

echo "earlier: $(git -C "$top" log -1 --format='%h %s' "$base" | cut -c1-70)"
echo "this:    $(git -C "$top" log -1 --format='%h %s' HEAD | cut -c1-70)$(git -C "$top" diff --quiet HEAD || echo ' (with changes)')"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"

exec /usr/bin/python3 - "$base_build" "$top/build" "$seconds" "$tries" "$top/demo" <<'PYTHON'
import calendar, glob, os, random, shutil, statistics, sys, tempfile, time
import pexpect, pyte

base_build, this_build, seconds, tries, demo = sys.argv[1], sys.argv[2], float(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
preload = sorted(glob.glob("/usr/lib/*/faketime/libfaketime.so.1"))
if not preload:
    sys.exit("libfaketime is not installed")
ticks = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def wake_ups(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("voluntary_ctxt_switches:"):
                return int(line.split()[1])
    return 0


class Run:
    """A program in a pseudo-terminal in a copy of the demo station, its clock at `start` UTC."""

    def __init__(self, program, start, files=None, stepped=True):
        self.station = tempfile.mkdtemp(prefix="idle-cost-")
        for entry in os.listdir(demo):
            shutil.copy(os.path.join(demo, entry), self.station)
        for name, text in (files or {}).items():
            with open(os.path.join(self.station, name), "w") as out:
                out.write(text)
        # Outside the station directory, whose changes the tracker watches.
        self.clock_file = tempfile.mkstemp(prefix="idle-cost-clock-")[1]
        self.offset = calendar.timegm(time.strptime(start, "%Y-%m-%d %H:%M:%S")) - int(time.time())
        self.step(0)
        env = dict(os.environ, TERM="xterm-256color", LANG="C.UTF-8", LC_ALL="C.UTF-8", TZ="UTC",
                   LD_PRELOAD=preload[0], FAKETIME_TIMESTAMP_FILE=self.clock_file, FAKETIME_NO_CACHE="1",
                   FAKETIME_DONT_FAKE_MONOTONIC="1", FAKETIME_DONT_RESET="1")
        env.pop("FAKETIME", None)
        if not stepped:
            env.pop("FAKETIME_NO_CACHE")
        self.screen = pyte.Screen(80, 25)
        self.stream = pyte.ByteStream(self.screen)
        self.child = pexpect.spawn(program, [], cwd=self.station, env=env, dimensions=(25, 80))
        self.child.delaybeforesend = None  # pexpect waits 50 ms before every send by default

    def step(self, seconds):
        """Sets the program's wall clock by `seconds` (negative: back), the file replaced whole."""
        self.offset += seconds
        with open(self.clock_file + ".new", "w") as out:
            out.write("%+d\n" % self.offset)
        os.replace(self.clock_file + ".new", self.clock_file)

    def pump(self, timeout):
        """Feeds what arrives within `timeout` s to the screen; the arrival time, or None."""
        try:
            data = self.child.read_nonblocking(65536, timeout=timeout)
        except pexpect.TIMEOUT:
            return None
        arrived = time.time()
        self.stream.feed(data)
        return arrived

    def text(self, row, column, length):
        line = self.screen.buffer[row - 1]
        return "".join(line[c].data for c in range(column - 1, column - 1 + length))

    def wait_for(self, predicate, limit=60):
        deadline = time.monotonic() + limit
        while not predicate():
            if time.monotonic() > deadline:
                sys.exit("never showed:\n" + "\n".join(self.screen.display))
            self.pump(0.2)

    def settle(self, pause=2.0):
        end = time.monotonic() + pause
        while time.monotonic() < end:
            self.pump(max(0.0, end - time.monotonic()))

    def cost(self):
        """CPU % of one core and wake-ups a second over the window."""
        pid = self.child.pid
        cpu, woken, wall = cpu_seconds(pid), wake_ups(pid), time.monotonic()
        end = wall + seconds
        while time.monotonic() < end:
            self.pump(max(0.0, min(0.5, end - time.monotonic())))
        wall = time.monotonic() - wall
        return 100 * (cpu_seconds(pid) - cpu) / wall, (wake_ups(pid) - woken) / wall

    def reaction(self, act, shown, first=None):
        """Seconds from act() until the screen satisfies shown(); with `first`, the seconds until
        it satisfies first() (which shown() implies) too, as a pair."""
        self.settle(random.uniform(0.05, 0.3))  # anywhere within the clock's second
        began = time.time()
        act()
        first_seen = None
        while True:
            arrived = self.pump(5)
            if arrived is None or arrived - began > 10:
                sys.exit("no reaction:\n" + "\n".join(self.screen.display))
            if first is not None and first_seen is None and first():
                first_seen = arrived - began
            if shown():
                return arrived - began if first is None else (first_seen, arrived - began)

    def close(self):
        job = os.path.join(self.station, "job.pid")
        if os.path.exists(job):
            try:
                os.kill(int(open(job).read()), 9)
            except (ValueError, ProcessLookupError):
                pass
            self.settle(1)
        self.child.send("q")
        try:
            self.child.expect(pexpect.EOF, timeout=10)
        except pexpect.TIMEOUT:
            self.child.terminate(force=True)
        self.child.close()
        shutil.rmtree(self.station, ignore_errors=True)
        os.unlink(self.clock_file)


def status(run):
    return run.text(4, 40, 40).strip()


def progress(text):
    print("  " + text, file=sys.stderr, flush=True)


def measure(build):
    progress(build)
    figures = {}
    kelvorin, mirados = os.path.join(build, "kelvorin"), os.path.join(build, "mirados")
    # ISS over the demo station: a pass from about 13:09 to 13:19 UTC on 10 October 2026.
    scheduled = "; scheduled\nISS\n" + "\n" * 14 + "; watched\n" + "\n" * 15 + "10\n1\n15\n14\n"
    job = {"MIRADOS.CFG": scheduled, "ISS.BAT": "echo $$ > job.pid\nexec sleep 3600\n"}
    cases = (("kelvorin idle", kelvorin, "2026-10-10 12:00:00", {"KELVORIN.CMD": "NONE\r\n"}, "Idling"),
             ("kelvorin waiting", kelvorin, "2026-10-10 12:00:00", None, "Waiting for ISS"),
             ("kelvorin tracking", kelvorin, "2026-10-10 13:11:00", None, "Tracking ISS"),
             ("mirados waiting", mirados, "2026-10-10 12:00:00", {"MIRADOS.CFG": scheduled}, "Waiting for ISS"),
             ("mirados job running", mirados, "2026-10-10 12:00:00", job, "Waiting for ISS"))
    for case, program, start, files, shown in cases if seconds > 0 else ():
        progress(case)
        run = Run(program, start, files)
        run.wait_for(lambda: status(run).startswith(shown))
        if case.endswith("job running"):
            aos = time.strptime("2026-10-10 " + run.text(8, 12, 8), "%Y-%m-%d %H:%M:%S")
            run.step(calendar.timegm(aos) - 3 - (int(time.time()) + run.offset))
            run.wait_for(lambda: os.path.exists(os.path.join(run.station, "job.pid")))
        run.settle()
        figures[case] = run.cost()
        for step, label in ((3600, " +1 h"), (-3600, " -1 h")):
            run.step(step)
            run.settle(3)
            figures[case + label] = run.cost()
        run.close()

    run = Run(kelvorin, "2026-10-10 12:00:00", stepped=False)
    run.wait_for(lambda: status(run) == "Waiting for ISS")
    run.settle()
    progress("reactions")
    keys = []
    for i in range(tries + tries % 2):  # ending in automatic mode, which follows the command file
        key, mode = ("M", "Manual") if i % 2 == 0 else ("A", "Automatic")
        keys.append(run.reaction(lambda: run.child.send(key), lambda: run.text(22, 25, 12).strip() == mode))
    progress("renames")
    renames, named = [], []
    for i in range(tries):
        name = "SO-50" if i % 2 == 0 else "ISS"
        before = status(run)
        def replace():
            path = os.path.join(run.station, "KELVORIN.NEW")
            with open(path, "w") as out:
                out.write(name + "\r\n")
            os.rename(path, os.path.join(run.station, "KELVORIN.CMD"))
        # Acted on: the status line changes (the pass search begins); named: after the search.
        acted, shown = run.reaction(replace, lambda: name in status(run), lambda: status(run) != before)
        renames.append(acted)
        named.append(shown)
        run.wait_for(lambda: status(run) == "Waiting for " + name)
    progress("updates")
    updates = []
    shown = run.text(4, 3, 21)
    end = time.monotonic() + max(tries + 1, 10)
    while time.monotonic() < end and len(updates) < tries:
        arrived = run.pump(1.5)
        if arrived is not None and run.text(4, 3, 21) != shown:
            shown = run.text(4, 3, 21)
            updates.append(arrived - int(arrived))
    run.close()
    figures["reactions"] = tuple(statistics.median(v) * 1000 for v in (keys, renames, named, updates))
    return figures


print("window %.0f s per case, %d tries per reaction" % (seconds, tries))
results = [("earlier", measure(base_build)), ("this", measure(this_build))]
print("load average after: %s" % " ".join(open("/proc/loadavg").read().split()[:3]))
print()
print("%-26s %19s %19s" % ("", "earlier", "this"))
print("(+1 h: after the wall clock was set forward an hour; -1 h: after it was set back again)")
for case in (c for c in results[0][1] if c != "reactions"):
    print("%-26s %s" % (case, " ".join("%6.2f %% %7.1f/s  " % r[case] for _, r in results)))
for index, what in enumerate(("key", "renamed .CMD", ".CMD named", "second's update")):
    print("%-26s %s" % ("median " + what, " ".join("%9.1f ms       " % r["reactions"][index] for _, r in results)))
PYTHON
