#!/usr/bin/env bash
# Builds the programs into build/ and makes the Debian package there:
#   bash tools/package.sh        ->  build-package/vekorra_<version>_<arch>.deb
# Install it with: sudo apt install ./build-package/vekorra_*.deb
# The programs are built alone (-DBUILD_TESTING=OFF), in a folder of their
# own so that the test build keeps its tests.
# Environment: VEKORRA_PACKAGE_BUILD_DIR (default build-package/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKORRA_PACKAGE_BUILD_DIR:-$top/build-package}

# Also brings dpkg-dev, whose dpkg-shlibdeps finds the libraries' packages.
bash "$top/tools/install-deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB)
ls "$build"/vekorra_*.deb
