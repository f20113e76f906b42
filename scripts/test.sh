#!/usr/bin/env bash
# Runs every test: the release build's unit and end-to-end tests, the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer (end-to-end tests need the release build: the
# faketime preload does not mix with the sanitizers), and each fuzz target for a while
# (FUZZ_SECONDS, default 20). Each build has a folder of its own, configured here with every
# option it needs, so no other build (the demo's, say) can change what is tested; a run that
# finds no tests fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Includes and library dependencies must point down the layers (README, "Code map").
python3 "$top/scripts/check_layers.py"
. "$top/scripts/packages.sh"
require_packages "${build_packages[@]}" libgtest-dev libbenchmark-dev faketime socat \
    python3-pexpect python3-pyte locales clang libclang-rt-14-dev
# The reference SGP4 model (a black box) of the end-to-end pass on the SGP4 model.
require_packages python3-sgp4 python3-numpy
require_locale de_DE UTF-8
# The man-page linter, the element downloads of kelvorin-elements, the scheduler's service session.
require_packages mandoc curl tmux
# The radio and rotator control daemons, whose dummy devices the network control is tested on.
require_packages libhamlib-utils
# The metrics collector the status files are scraped through, and the alert rules' checker.
require_packages prometheus-node-exporter prometheus
promtool check rules "$top/contrib/station-alerts.yml"
jobs=$(nproc)

cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DGROUNDSTATION_TESTS=ON \
    -DGROUNDSTATION_E2E=ON -DGROUNDSTATION_SANITIZE=OFF -DGROUNDSTATION_FUZZ=OFF >/dev/null
cmake --build "$top/build" -j"$jobs"
ctest --test-dir "$top/build" --output-on-failure --no-tests=error -j"$jobs" -LE e2e

# The end-to-end tests spend most of their time waiting on the programs' clocks, one at a time:
# meanwhile the sanitizer build and its unit tests, then the fuzz targets, run at a lower
# priority on the idle processor. Their output follows the end-to-end tests'.
checks_log="$top/build/checks.log"
(
    set -euo pipefail
    cmake -S "$top" -B "$top/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DGROUNDSTATION_TESTS=ON \
        -DGROUNDSTATION_SANITIZE=ON -DGROUNDSTATION_BENCH=OFF -DGROUNDSTATION_FUZZ=OFF >/dev/null
    cmake --build "$top/build-sanitize" -j"$jobs"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir "$top/build-sanitize" --output-on-failure --no-tests=error -j"$jobs" -L unit
    "$top/scripts/fuzz.sh" "${FUZZ_SECONDS:-20}"
) >"$checks_log" 2>&1 &
checks=$!
trap 'kill -- "$checks" 2>/dev/null || true' EXIT
renice -n 10 -p "$checks" >/dev/null

e2e_status=0
ctest --test-dir "$top/build" --output-on-failure --no-tests=error -L e2e || e2e_status=$?
checks_status=0
wait "$checks" || checks_status=$?
trap - EXIT
cat "$checks_log"
if [ "$e2e_status" -ne 0 ] || [ "$checks_status" -ne 0 ]; then
    echo "FAILED: end-to-end tests (status $e2e_status), sanitizer and fuzz checks (status $checks_status)"
    exit 1
fi
echo "All tests passed."
