#!/usr/bin/env bash
# Builds the resource tool in BUILD_DIR, draws every resource into a
# temporary folder and fails unless each committed file under res/generated/
# and res/icons/ comes out byte for byte, with none missing or added.
# Usage: scripts/check-resources.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cmake --build "$build" --target kelvane_resgen >/dev/null
mkdir "$out/generated" "$out/icons"
QT_QPA_PLATFORM=offscreen "$build/res/tools/kelvane_resgen" "$out/generated" "$out/icons"
if ! diff -r res/generated "$out/generated" || ! diff -r res/icons "$out/icons"; then
    echo "res/tools does not draw the committed resources: run" >&2
    echo "  $build/res/tools/kelvane_resgen res/generated res/icons" >&2
    exit 1
fi
echo "resources: ok"
