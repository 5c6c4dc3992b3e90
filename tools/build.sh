#!/usr/bin/env bash
# Configures and builds into build/ (the run layout: vekorra, 1/kestrum ..).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKORRA_BUILD_DIR:-$top/build}
launcher=()
# A compiler cache makes rebuilds of unchanged files (other checkouts, a
# cleaned build folder) nearly free; the build works the same without it.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
