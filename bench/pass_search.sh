#!/usr/bin/env bash
# The pass search, this build beside an earlier commit, in one run:
#   - one low-orbit pass (the demo's ISS from 00:00 UTC, its pass at 06:44) with each orbit
#     model, and the scheduler's cycle for 15 scheduled and 15 watched entries: CPU time per
#     search or cycle from station_bench, both builds, and the ratio (targets: at most 0.3 for
#     the pass, 0.5 for the cycle);
#   - mirados --passes --all (this build only) over element files made from the demo station's
#     real sets by shifting mean anomaly and node (with a few broken sets among them): wall time
#     and peak memory for 1,000, 5,000 and 10,000 sets over 1 day and 10,000 sets over 2 days
#     (targets for 10,000 sets and 1 day: at most 5 s and 200 MB; time linear in sets and days).
#
#   bench/pass_search.sh [earlier commit, default: where this branch left main]
#
# The earlier commit is built (station_bench, Release) in a temporary git worktree, or taken from
# PASS_SEARCH_BASE_BUILD (a build folder of it). Needs faketime. A benchmark, never a test: the
# figures depend on the machine and on its load.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
base=${1:-$(git -C "$top" merge-base HEAD main)}
for program in station_bench mirados; do
    [ -x "$top/build/$program" ] || { echo "no $program in $top/build (build it first)"; exit 1; }
done

. "$top/bench/earlier_build.sh"
build_earlier "$top" "$base" "${PASS_SEARCH_BASE_BUILD:-}" station_bench

echo "earlier: $(git -C "$top" log -1 --format='%h %s' "$base" | cut -c1-70)"
echo "this:    $(git -C "$top" log -1 --format='%h %s' HEAD | cut -c1-70)$(git -C "$top" diff --quiet HEAD || echo ' (with changes)')"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"

filter='^(predictPassNoDisplay|predictPassSgp4NoDisplay|SchedulerCycleComputation)$'
run_bench() {  # build folder -> "name cpu_time unit" lines
    (cd "$1" && ./station_bench --benchmark_filter="$filter" --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null) |
        awk -F, '$1 ~ /_median"?$/ { gsub(/"/, "", $1); sub(/_median$/, "", $1); print $1, $4, $5 }'
}
earlier=$(run_bench "$base_build")
this=$(run_bench "$top/build")
echo
printf '%-28s %14s %14s %7s %7s\n' benchmark "earlier (CPU)" "this (CPU)" ratio target
while read -r name time unit; do
    now=$(awk -v n="$name" '$1 == n { print $2 }' <<<"$this")
    target=$([ "$name" = SchedulerCycleComputation ] && echo 0.5 || echo 0.3)
    printf '%-28s %11.1f %-2s %11.1f %-2s %7.2f %7s\n' "$name" "$time" "$unit" "$now" "$unit" \
        "$(awk -v a="$now" -v b="$time" 'BEGIN { print a / b }')" "$target"
done <<<"$earlier"

# Element files of N sets: the demo's sets over and over, each copy with its mean anomaly and
# node moved on, its number and checksum made anew; every 1,000th set broken (a short line).
station=$(mktemp -d /tmp/pass-search-station.XXXXXX)
trap 'rm -rf "$station"; git -C "$top" worktree remove --force "${earlier_worktree:-/nonexistent}" >/dev/null 2>&1 || true' EXIT
cp "$top"/demo/* "$station"/
make_sets() {
    /usr/bin/python3 - "$top/demo/KEPS.TXT" "$1" <<'PYTHON'
import sys
lines = [l.rstrip("\r\n") for l in open(sys.argv[1]) if l.strip()]
sets = [(lines[i], lines[i + 1], lines[i + 2]) for i in range(0, len(lines) - 2, 3) if lines[i + 1].startswith("1 ")]
def checksum(line):
    return str(sum(int(c) if c.isdigit() else c == "-" for c in line[:68]) % 10)
for k in range(int(sys.argv[2])):
    name, one, two = sets[k % len(sets)]
    number = "%05d" % (10000 + k)
    node = (float(two[17:25]) + 7.31 * k) % 360
    anomaly = (float(two[43:51]) + 53.7 * k) % 360
    one = one[:2] + number + one[7:68]
    two = two[:2] + number + two[7:17] + "%8.4f" % node + two[25:43] + "%8.4f" % anomaly + two[51:68]
    if k % 1000 == 999:
        two = two[:40]
    print("%s %d" % (name, k))
    print(one + checksum(one))
    print(two + (checksum(two) if len(two) == 68 else ""))
PYTHON
}
echo
printf '%-34s %9s %9s %8s\n' "mirados --passes --all" "wall s" "max MB" passes
for run in "1000 1" "5000 1" "10000 1" "10000 2"; do
    read -r sets days <<<"$run"
    make_sets "$sets" >"$station/KEPS.TXT"
    out=$(cd "$station" && FAKETIME_DONT_RESET=1 /usr/bin/time -f '%e %M' \
        faketime '2026-10-10 00:00:00' "$top/build/mirados" --passes --all "$days" 2>&1 >"$station/list.txt" | tail -1)
    read -r wall kb <<<"$out"
    printf '%-34s %9s %9.1f %8s\n' "$sets sets, $days day(s)" "$wall" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')" \
        "$(($(wc -l <"$station/list.txt") - 4))"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
