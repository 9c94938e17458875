#!/usr/bin/env bash
# Sets up, builds and starts Kelvane.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build -DKELVANE_TESTS=OFF
exec build/kelvane "$@"
