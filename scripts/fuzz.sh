#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for the given number of seconds (default 20), from its seed corpus in
# fuzz/corpus/<target>. Any finding fails: a crash, a sanitizer report, a broken invariant, an
# input that runs longer than 10 s (a hang) or one that takes more than 2 GB. The input that
# caused it is left in build-fuzz/findings/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/packages.sh"
require_packages "${build_packages[@]}" clang libclang-rt-14-dev
seconds=${1:-20}
build="$top/build-fuzz"

# -O1 with line tables: quick to build, fast enough to fuzz, and reports name their lines.
cmake -S "$top" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
    -DGROUNDSTATION_FUZZ=ON -DBUILD_TESTING=OFF -DGROUNDSTATION_BENCH=OFF -DGROUNDSTATION_E2E=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_targets

targets=()
for source in "$top"/fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$source" .cpp)")
done
[ ${#targets[@]} -gt 0 ] || { echo "No fuzz targets in $top/fuzz"; exit 1; }

mkdir -p "$build/findings" "$build/logs"
run_target() {
    local target=$1 name=${1%_fuzz}
    mkdir -p "$build/corpus/$name"
    [ -d "$top/fuzz/corpus/$name" ] || { echo "No seed corpus fuzz/corpus/$name" >"$build/logs/$name.log"; return 1; }
    UBSAN_OPTIONS=print_stacktrace=1 "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -dict="$top/fuzz/numbers.dict" -artifact_prefix="$build/findings/$name-" -print_final_stats=1 \
        "$build/corpus/$name" "$top/fuzz/corpus/$name" >"$build/logs/$name.log" 2>&1
}

# As many targets at a time as there are processors.
declare -A running=()
failed=()
finish_one() {
    local pid status=0
    wait -n -p pid "${!running[@]}" || status=$?
    local name=${running[$pid]}
    unset "running[$pid]"
    if [ "$status" -eq 0 ]; then
        echo "fuzz $name: clean, $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$name.log" | grep -o '[0-9]*$') runs"
    else
        echo "fuzz $name: FINDING (exit status $status); log $build/logs/$name.log"
        tail -n 40 "$build/logs/$name.log"
        failed+=("$name")
    fi
}
for target in "${targets[@]}"; do
    while [ ${#running[@]} -ge "$(nproc)" ]; do
        finish_one
    done
    run_target "$target" &
    running[$!]=${target%_fuzz}
done
while [ ${#running[@]} -gt 0 ]; do
    finish_one
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in $build/findings/)"
    exit 1
fi
echo "Fuzzing: ${#targets[@]} targets ran ${seconds} s each without a finding"
