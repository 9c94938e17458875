#!/usr/bin/env bash
# Sets up, builds and runs every test suite twice: a plain warning-clean
# build, then a build under AddressSanitizer and UndefinedBehaviorSanitizer;
# then the Windows build (MinGW-w64) of the core suites and the converter
# under wine, with the converter's bytes compared to the native one's.
# Needs no display: the GUI suites run in Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

scripts/check-layers.sh
scripts/setup.sh build-test -DKELVANE_WERROR=ON
ctest --test-dir build-test --output-on-failure --parallel "$(nproc)"

scripts/setup.sh build-asan -DKELVANE_WERROR=ON -DKELVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"

scripts/wine-test.sh build-test build-wine
