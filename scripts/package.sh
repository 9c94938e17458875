#!/usr/bin/env bash
# Builds the Debian package build-package/kelvane_<version>_<arch>.deb with
# CPack: Release build, no tests; Depends from the programs' shared
# libraries (dpkg-shlibdeps) plus the fonts and Qt's window system plugins.
#   apt-get install ./build-package/kelvane_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build-package -DKELVANE_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
(cd build-package && cpack -G DEB)
ls build-package/kelvane_*.deb
