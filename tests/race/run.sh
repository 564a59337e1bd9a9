#!/bin/bash
# Builds the hand-over stress test natively with ThreadSanitizer and runs it:
# first with a lock that does nothing in the hand-over and then in the stop
# switch, which must each be reported (the run can see a race), then with the
# real locks, which must run clean.
# usage: tests/race/run.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:-$root/build/race}
mkdir -p "$out"
clang++ -std=c++17 -g -O1 -fsanitize=thread -I "$root/src" "$here/handover_stress.cpp" -o "$out/handover_stress"
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1"
for control in unsafe unsafe-latch; do
  set +e
  "$out/handover_stress" 200 --$control >"$out/$control.log" 2>&1
  rc=$?
  set -e
  if [ $rc -ne 66 ] || ! grep -q "ThreadSanitizer: data race" "$out/$control.log"; then
    echo "the sanitizer did not report the $control run (exit $rc): the run proves nothing" >&2
    exit 1
  fi
  echo "control: the $control run is reported as a data race"
done
"$out/handover_stress" "${2:-5000}"
