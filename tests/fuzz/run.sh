#!/bin/sh
# Builds the fuzz preset and runs every fuzz target (or the ones named) for a while.
#   tests/fuzz/run.sh [seconds-per-target] [target ...]
# Prints the executions each target made; exits non-zero when a target found a fault. New
# inputs go to build/fuzz/corpus/<target>, findings to build/fuzz/findings/.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${1:-10}
[ $# -gt 0 ] && shift
targets=${*:-ini date time datetime integer template password startup zipcommand mask runlog zipreader storedname setrecord statelist retention chains foldercheck history deflateblocks deflatepieces}

cd "$root" || exit 2
cmake --preset fuzz >/dev/null || exit 2
cmake --build --preset fuzz -j2 >/dev/null || { cmake --build --preset fuzz -j1; exit 2; }

# The start-up target writes its settings file once per input; memory is faster than disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  TMPDIR=/dev/shm
  export TMPDIR
fi

bin="$root/build/fuzz/tests/fuzz"
findings="$root/build/fuzz/findings"
mkdir -p "$findings"
failed=0
for target in $targets; do
  corpus="$root/build/fuzz/corpus/$target"
  log="$root/build/fuzz/fuzz_$target.log"
  mkdir -p "$corpus"
  "$bin/fuzz_$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$findings/$target-" "$corpus" "$here/corpus/$target" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$status" -eq 0 ]; then
    echo "$target: ${runs:-?} executions in ${seconds} s"
  else
    echo "$target: FINDING after ${runs:-?} executions (exit $status), log $log"
    grep -E 'check failed|ERROR:|SUMMARY:|Test unit written' "$log" | head -n 5
    failed=1
  fi
done
exit $failed
