#!/usr/bin/env bash
# Sets up, builds and runs every test suite twice: a plain warning-clean GCC
# build, then a clang build under AddressSanitizer and UndefinedBehaviorSanitizer;
# then the Windows build: every source of the user interface and every GUI
# test source compiled by MinGW-w64 against Qt's headers (also after
# <windows.h>), and the core suites and the converter under wine, with the
# converter's bytes compared to the native one's.
# Needs no display: the GUI suites run in Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

scripts/check-layers.sh
scripts/check-portable.sh
scripts/setup.sh build-test -DKELVANE_WERROR=ON
ctest --test-dir build-test --output-on-failure --parallel "$(nproc)"
# The resource tool still draws every committed image, icon and clip.
scripts/check-resources.sh build-test

# The second build is clang's (the compiler of macOS), under the sanitizers,
# with the global names of Qt's Windows headers and windows.h in front of
# every source of the user interface.
CC=clang CXX=clang++ scripts/setup.sh build-clang-asan -DKELVANE_WERROR=ON -DKELVANE_SANITIZE=ON \
    -DKELVANE_WINDOWS_DECLS=ON -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-clang-asan --output-on-failure --parallel "$(nproc)"

scripts/mingw-compile-test.sh build-test
scripts/wine-test.sh build-test build-wine
