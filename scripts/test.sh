#!/usr/bin/env bash
# Runs every test: the release build's unit and end-to-end tests, then the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer (end-to-end tests need the release build: the
# faketime preload does not mix with the sanitizers).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/packages.sh"
require_packages "${build_packages[@]}" libgtest-dev libbenchmark-dev faketime socat \
    python3-pexpect python3-pyte locales
require_locale de_DE UTF-8
jobs=$(nproc)

cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build" -j"$jobs"
ctest --test-dir "$top/build" --output-on-failure -j"$jobs"

cmake -S "$top" -B "$top/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DGROUNDSTATION_SANITIZE=ON \
    -DGROUNDSTATION_BENCH=OFF >/dev/null
cmake --build "$top/build-sanitize" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$top/build-sanitize" --output-on-failure -j"$jobs" -L unit
