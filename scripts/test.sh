#!/usr/bin/env bash
# Runs every test: the release build's unit and end-to-end tests, the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer (end-to-end tests need the release build: the
# faketime preload does not mix with the sanitizers), then each fuzz target for a while
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
jobs=$(nproc)

cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DGROUNDSTATION_TESTS=ON \
    -DGROUNDSTATION_E2E=ON -DGROUNDSTATION_SANITIZE=OFF -DGROUNDSTATION_FUZZ=OFF >/dev/null
cmake --build "$top/build" -j"$jobs"
ctest --test-dir "$top/build" --output-on-failure --no-tests=error -j"$jobs"

cmake -S "$top" -B "$top/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DGROUNDSTATION_TESTS=ON \
    -DGROUNDSTATION_SANITIZE=ON -DGROUNDSTATION_BENCH=OFF -DGROUNDSTATION_FUZZ=OFF >/dev/null
cmake --build "$top/build-sanitize" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$top/build-sanitize" --output-on-failure --no-tests=error -j"$jobs" -L unit

"$top/scripts/fuzz.sh" "${FUZZ_SECONDS:-20}"
