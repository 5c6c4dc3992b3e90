#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKORRA_BUILD_DIR:-$top/build}
bash "$top/tools/install-deps.sh"
bash "$top/tools/build.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 "$@"
