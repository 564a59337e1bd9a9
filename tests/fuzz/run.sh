#!/bin/bash
# Builds every fuzz target and runs each for FUZZ_SECONDS (default 6) on a
# copy of its seed corpus (tests/fuzz/corpus/NAME). Any finding fails.
# usage: tests/fuzz/run.sh [BUILD_DIR]   (default build/fuzz)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-6}

for name in $("$here/build.sh" "$out"); do
  # libFuzzer adds what it finds to its first corpus folder: keep the repo's seeds clean.
  rm -rf "$out/corpus-$name"
  cp -r "$here/corpus/$name" "$out/corpus-$name"
  echo "== $name: $seconds s"
  rc=0
  "$out/fuzz_$name" -max_total_time="$seconds" -timeout=10 -max_len=65536 -rss_limit_mb=2048 \
    -artifact_prefix="$out/$name-" -print_final_stats=1 "$out/corpus-$name" >"$out/$name.log" 2>&1 || rc=$?
  grep -E "^stat::(number_of_executed_units|new_units_added|peak_rss_mb)" "$out/$name.log" || true
  if [ $rc -ne 0 ]; then
    tail -n 60 "$out/$name.log" >&2
    echo "fuzz target $name failed (exit $rc); the input is under $out/$name-*" >&2
    exit 1
  fi
done
