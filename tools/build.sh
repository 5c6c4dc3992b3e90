#!/usr/bin/env bash
# Configures and builds into build/ (the run layout: vekorra, 1/kestrum ..).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKORRA_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
