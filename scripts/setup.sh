#!/usr/bin/env bash
# Installs what Kelvane needs to build and test on Debian 12, configures and
# builds. Usage: scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ clang libclang-rt-14-dev pkg-config qt6-base-dev libgl-dev libgtest-dev zlib1g-dev
          libbenchmark-dev fonts-liberation2
          desktop-file-utils appstream shared-mime-info man-db file dpkg-dev)
scripts/install-packages.sh "${packages[@]}"

build_dir="$1"
shift
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
