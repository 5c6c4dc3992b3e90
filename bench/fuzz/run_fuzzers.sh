#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a fixed time on its corpus.
#
#   bench/fuzz/run_fuzzers.sh [target...]      targets: call_list reply exchange numbers journal pdu
#
# FUZZ_SECONDS   seconds per target (default 60)
# FUZZ_BUILD_DIR build folder (default build-fuzz)
#
# Each run starts from the hand-written inputs in bench/fuzz/seeds/<target>
# and the kept corpus in bench/fuzz/corpus/<target>. Afterwards the corpus is
# rebuilt with -merge=1 as the smallest set of inputs that reaches every
# feature the seeds do not, so it stays small. An input that breaks a check or
# the sanitizers is left in <build>/findings/<target>/ and makes the script
# fail; copied to bench/fuzz/regressions/<target>/ it is replayed by the
# tests for good.
# The last lines give executions, coverage and findings per target.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${FUZZ_BUILD_DIR:-$top/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(call_list reply exchange numbers journal pdu)

bash "$top/tools/sanitizers/configure_clang.sh" "$build" -DVEKORRA_FUZZ=ON
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# Leaks are part of the run: Qt's and SQLite's few lasting allocations are
# listed in the project's suppressions.
export LSAN_OPTIONS="suppressions=$top/tools/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

summary=()
failed=0
for target in "${targets[@]}"; do
  fuzzer=$build/bench/fuzz/fuzz_$target
  seeds=$here/seeds/$target
  corpus=$here/corpus/$target
  findings=$build/findings/$target
  work=$build/work/$target
  merged=$build/merged/$target
  log=$build/fuzz_$target.log
  rm -rf "$work" "$findings" "$merged"
  mkdir -p "$work" "$findings" "$merged" "$corpus"
  echo "== fuzz_$target for ${seconds}s (log: $log)"
  status=0
  "$fuzzer" -max_total_time="$seconds" -max_len=512 -timeout=10 -print_final_stats=1 \
    -dict="$here/dict/$target.dict" -artifact_prefix="$findings/" \
    "$work" "$seeds" "$corpus" >"$log" 2>&1 || status=$?
  before=$(find "$corpus" -type f | wc -l)
  cp "$seeds"/* "$merged"/
  "$fuzzer" -merge=1 -max_len=512 "$merged" "$corpus" "$work" >>"$log" 2>&1
  for seed in "$seeds"/*; do rm -f "$merged/$(basename "$seed")"; done
  rm -f "$corpus"/*
  cp "$merged"/* "$corpus"/ 2>/dev/null || true
  after=$(find "$corpus" -type f | wc -l)
  runs=$(grep -o '^stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  cov=$(grep -o 'DONE *cov: [0-9]* ft: [0-9]*' "$log" | tail -1 | sed 's/DONE *//')
  [ -z "$cov" ] && cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  found=$(find "$findings" -type f | wc -l)
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    grep -E -A8 'broken invariant|ERROR: (Address|Leak)Sanitizer|runtime error|deadly signal' "$log" | head -40 || true
  fi
  summary+=("fuzz_$target: ${runs:-?} executions in ${seconds}s, $cov, corpus $before -> $after, findings: $found (exit $status)")
done

echo
printf '%s\n' "${summary[@]}"
exit $failed
