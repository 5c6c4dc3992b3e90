#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# Tests run in parallel: each has its own store, ports folder, runtime
# folder and X server, and most of their time is spent waiting on other
# processes (phones, controllers, X servers), so more tests run at once
# than there are processors. CTEST_PARALLEL_LEVEL sets another number.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKORRA_BUILD_DIR:-$top/build}
bash "$top/tools/install-deps.sh"
bash "$top/tools/build.sh"
cd "$build"
jobs=${CTEST_PARALLEL_LEVEL:-$(( $(nproc) * 2 ))}
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j"$jobs" "$@"
