#!/usr/bin/env bash
# Steady-state cost of kelvorin: CPU time (user + system, from /proc) and terminal output per
# second while it waits for a pass and while it tracks one, each over a window of wall time,
# with the command file polled on every loop pass (automatic mode, the demo station).
#
#   bench/tracker_cpu.sh [path/to/kelvorin] [seconds per window, default 60]
#
# Needs /usr/bin/python3 with pexpect, and libfaketime. Target: at most 2 % of one core.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kelvorin=${1:-$top/build/kelvorin}
seconds=${2:-60}
[ -x "$kelvorin" ] || { echo "no kelvorin at $kelvorin (build it first)"; exit 1; }
kelvorin=$(realpath "$kelvorin")

exec /usr/bin/python3 - "$kelvorin" "$seconds" "$top/demo" <<'EOF'
import glob, os, shutil, sys, tempfile, time
import pexpect

kelvorin, seconds, demo = sys.argv[1], float(sys.argv[2]), sys.argv[3]
preload = sorted(glob.glob("/usr/lib/*/faketime/libfaketime.so.1"))
if not preload:
    sys.exit("libfaketime is not installed")
ticks = os.sysconf("SC_CLK_TCK")

def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks

# ISS over the demo station: a pass from about 13:09 to 13:19 UTC on 10 October 2026.
cases = [("waiting", "2026-10-10 12:00:00", "Waiting for ISS"),
         ("tracking", "2026-10-10 13:11:00", "Tracking ISS")]
print("window %.0f s per state" % seconds)
for name, start, status in cases:
    station = tempfile.mkdtemp(prefix="kelvorin-bench-")
    try:
        for entry in os.listdir(demo):
            shutil.copy(os.path.join(demo, entry), station)
        env = dict(os.environ, TERM="xterm-256color", LANG="C.UTF-8", LC_ALL="C.UTF-8",
                   LD_PRELOAD=preload[0], FAKETIME="@" + start, FAKETIME_DONT_RESET="1")
        child = pexpect.spawn(kelvorin, [], cwd=station, env=env, dimensions=(25, 80))
        shown = b""
        deadline = time.monotonic() + 60
        while status.encode() not in shown:
            if time.monotonic() > deadline:
                sys.exit("%s: %r never showed" % (name, status))
            try:
                shown += child.read_nonblocking(65536, timeout=0.2)
            except pexpect.TIMEOUT:
                pass
        time.sleep(2)  # the pass search and the first redraws are not steady state
        while True:
            try:
                child.read_nonblocking(65536, timeout=0)
            except pexpect.TIMEOUT:
                break
        output = 0
        cpu_before, wall_before = cpu_seconds(child.pid), time.monotonic()
        end = wall_before + seconds
        while time.monotonic() < end:
            try:
                output += len(child.read_nonblocking(65536, timeout=max(0.0, min(0.5, end - time.monotonic()))))
            except pexpect.TIMEOUT:
                pass
        cpu, wall = cpu_seconds(child.pid) - cpu_before, time.monotonic() - wall_before
        print("%-9s CPU %5.2f %% of one core (%.2f s in %.1f s), output %6.0f bytes/s"
              % (name, 100 * cpu / wall, cpu, wall, output / wall))
        child.send("q")
        child.expect(pexpect.EOF, timeout=10)
        child.close()
    finally:
        shutil.rmtree(station, ignore_errors=True)
EOF
