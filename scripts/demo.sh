#!/usr/bin/env bash
# Builds the programs and starts the tracker in a fresh copy of the demo station (demo/):
# real element sets, the rotator position written to ROT.DAT and the radio's to radio.dat, so no
# hardware is needed. Keys: M manual, T track (type a satellite, e.g. SO-50), Q quit.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/packages.sh"
require_packages "${build_packages[@]}"

# A build folder of its own, so the demo never changes what the test command builds.
cmake -S "$top" -B "$top/build-demo" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DGROUNDSTATION_BENCH=OFF >/dev/null
cmake --build "$top/build-demo" -j"$(nproc)" --target kelvorin mirados

rm -rf "$top/demo-run"
cp -r "$top/demo" "$top/demo-run"
cd "$top/demo-run"
# Job files find the tracker on PATH.
export PATH="$top/build-demo:$PATH"
exec kelvorin "$@"
