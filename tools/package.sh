#!/usr/bin/env bash
# Builds the programs into build/ and makes the Debian package there:
#   bash tools/package.sh        ->  build/vekorra_<version>_<arch>.deb
# Install it with: sudo apt install ./build/vekorra_*.deb
# Environment: VEKORRA_BUILD_DIR (default build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKORRA_BUILD_DIR:-$top/build}

# Also brings dpkg-dev, whose dpkg-shlibdeps finds the libraries' packages.
bash "$top/tools/install-deps.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only what the package holds; the tests and benchmarks are not needed.
cmake --build "$build" -j"$(nproc)" --target vekorra kestrum vekorra-settings skin_icons phonesim
(cd "$build" && cpack -G DEB)
ls "$build"/vekorra_*.deb
