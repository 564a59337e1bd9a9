#!/bin/bash
# Runs every fuzz target for SECONDS each (default 600), one after another,
# and prints each one's final figures. Any finding stops the run and fails.
# usage: tests/fuzz/run_long.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
FUZZ_SECONDS=${1:-600} exec "$here/run.sh" "${2:-$root/build/fuzz-long}"
