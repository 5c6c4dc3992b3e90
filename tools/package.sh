#!/usr/bin/env bash
# Builds the programs into build/ and makes the Debian package there:
#   bash tools/package.sh        ->  build/vekorra_<version>_<arch>.deb
# Install it with: sudo apt install ./build/vekorra_*.deb
# Environment: VEKORRA_BUILD_DIR (default build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKORRA_BUILD_DIR:-$top/build}

bash "$top/tools/install-deps.sh"
# cpack finds the libraries' packages with dpkg-shlibdeps (dpkg-dev), which
# needs file(1) to recognise the programs.
missing=()
for package in dpkg-dev file; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only what the package holds; the tests and benchmarks are not needed.
cmake --build "$build" -j"$(nproc)" --target vekorra kestrum vekorra-settings skin_icons phonesim
(cd "$build" && cpack -G DEB)
ls "$build"/vekorra_*.deb
