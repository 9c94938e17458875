#!/usr/bin/env bash
# Fuzzes every reader: builds the libFuzzer programs with clang in their own
# build folder and runs each target from its committed seed corpus
# (fuzz/corpus/<target>/), one after the other, then prints one table.
#
#   scripts/fuzz.sh [seconds per target]        (default 60)
#   KELVANE_FUZZ_RUNS=10000000 scripts/fuzz.sh 3600   stops a target at that many runs
#   KELVANE_FUZZ_TARGETS="dib_import avi_clip" scripts/fuzz.sh    only these targets
#
# New inputs a run finds go to build-fuzz/work/<target>/, crashing inputs to
# build-fuzz/findings/<target>/; add a finding to the corpus once it is fixed.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVANE_FUZZ_BUILD:-$root/build-fuzz}

if ! command -v clang++ >/dev/null; then
    apt-get update -qq && apt-get install -y -qq clang
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_FUZZ=ON -DKELVANE_TESTS=OFF >/dev/null
targets=()
for src in "$root"/fuzz/*_fuzz.cpp; do
    name=$(basename "$src" _fuzz.cpp)
    if [[ -n ${KELVANE_FUZZ_TARGETS:-} && " $KELVANE_FUZZ_TARGETS " != *" $name "* ]]; then
        continue
    fi
    # A target whose reader is not in the tree is not configured.
    if grep -q "^build fuzz/${name}_fuzz:" "$build/build.ninja"; then
        targets+=("$name")
    fi
done
cmake --build "$build" -j2 --target "${targets[@]/%/_fuzz}" >/dev/null

runs=()
[[ -n ${KELVANE_FUZZ_RUNS:-} ]] && runs=(-runs="$KELVANE_FUZZ_RUNS")

table=$(printf '%-12s %14s %8s %12s %9s\n' target executions seconds "execs/s" findings)
for t in "${targets[@]}"; do
    work=$build/work/$t findings=$build/findings/$t log=$build/findings/$t.log
    mkdir -p "$work" "$findings"
    start=$(date +%s)
    ASAN_OPTIONS=quarantine_size_mb=32 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/fuzz/${t}_fuzz" -max_total_time="$seconds" "${runs[@]}" \
        -rss_limit_mb=256 -malloc_limit_mb=64 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "$root/fuzz/corpus/$t" >"$log" 2>&1 || true
    elapsed=$(( $(date +%s) - start ))
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    execs=${execs:-0}
    found=$(find "$findings" -maxdepth 1 -type f | wc -l)
    table+=$(printf '\n%-12s %14s %8s %12s %9s' "$t" "$execs" "$elapsed" \
        "$(( execs / (elapsed > 0 ? elapsed : 1) ))" "$found")
done
echo "$table"
