#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang, VEKORRA_SANITIZE=ON) into build-asan/ and runs the whole test suite
# there; extra arguments go to ctest (-R store runs a subset). Every sanitizer
# report of a test or of a program it started fails the run: the test
# sanitizer_reports, run last, prints them from build-asan/sanitizer-reports.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKORRA_ASAN_BUILD_DIR:-$top/build-asan}
bash "$top/tools/install-deps.sh"
bash "$top/tools/sanitizers/configure_clang.sh" "$build" -DVEKORRA_SANITIZE=ON
cmake --build "$build" -j"$(nproc)"
cd "$build"
status=0
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@" || status=$?
# A test added without the report fixture may have run after the check.
cmake -DREPORTS="$build/sanitizer-reports" -DMODE=check -P "$top/tools/sanitizers/reports.cmake" || status=1
exit $status
