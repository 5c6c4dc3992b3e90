#!/usr/bin/env bash
# Configures a clang build folder for the sanitizer and fuzzer builds:
#   configure_clang.sh BUILD_DIR [cmake option...]
# Installs clang first when missing; uses ninja and ccache when present.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
shift
bash "$top/tools/sanitizers/need_clang.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$top" -B "$build" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ "$@" >/dev/null
