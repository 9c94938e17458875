#!/usr/bin/env bash
# Measures how much of the core and the converter the test command reaches:
# builds with gcc's coverage instrumentation in its own build folder, runs
# every suite of the test command, and prints gcovr's line and branch
# coverage per file of tiles/, formats/ and cli/ with totals. Branches that
# no input can take (unreachable ones, and the exception paths the compiler
# adds to every call) are left out of the count.
#
#   scripts/coverage.sh [extra cmake arguments...]
#   KELVANE_COVERAGE_BUILD=folder scripts/coverage.sh     (default build-coverage)
#
# Goal: every line and at least 95 % of the branches of tiles/ and formats/.
# Not part of the test command: it builds everything once more.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
build=${KELVANE_COVERAGE_BUILD:-build-coverage}

if ! command -v gcovr >/dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        -o DPkg::Lock::Timeout=600 gcovr
fi

scripts/setup.sh "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage "$@"
# Counts start from zero on every run.
find "$build" -name '*.gcda' -delete
status=0
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" || status=$?

data=$build/coverage.json
# CMake's compiler checks leave counts of their own: not the project's.
gcovr --root . --object-directory "$build" --exclude-unreachable-branches \
    --exclude-throw-branches --exclude-directories '.*/CMakeFiles/[0-9.]+' \
    --filter 'tiles/' --filter 'formats/' --filter 'cli/' --json "$data" "$build"
for folders in "tiles formats" "cli"; do
    filters=()
    for f in $folders; do filters+=(--filter "$f/"); done
    for metric in lines branches; do
        flag=()
        [ "$metric" = branches ] && flag=(--branches)
        echo
        echo "== $metric of ${folders// /, }/"
        gcovr --root . --add-tracefile "$data" "${filters[@]}" "${flag[@]}" --sort-uncovered \
            | sed -n '/^File/,$p'
    done
done
[ "$status" -eq 0 ] || echo "coverage.sh: some tests failed (ctest exit $status)" >&2
exit "$status"
