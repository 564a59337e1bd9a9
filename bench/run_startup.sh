#!/bin/bash
# Runs bench_startup under Wine at 96 and 144 DPI against a freshly started
# local backend (normal mode, throw-away database, free loopback port), then
# stops it.
# usage: run_startup.sh BUILD_DIR [RUNS]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run_startup.sh BUILD_DIR}" && pwd)
exe=$build/bench/bench_startup.exe
[ -x "$exe" ] || { echo "run_startup.sh: $exe not built" >&2; exit 2; }
export ORVANE_WINE_ROOT=${ORVANE_WINE_ROOT:-$build/wine}
# Wine's WinHTTP would send loopback requests through a proxy.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY

work=$(mktemp -d)
/usr/bin/python3 "$here/../backend/server.py" --host 127.0.0.1 --port 0 --db "$work/backend.db" \
  >"$work/stdout" 2>/dev/null &
backend_pid=$!
trap 'kill "$backend_pid" 2>/dev/null; wait "$backend_pid" 2>/dev/null; rm -rf "$work"' EXIT

api=
for _ in $(seq 1 100); do
  api=$(sed -n 's/^backend listening on \(http:[^ ]*\).*$/\1/p' "$work/stdout" | head -n 1)
  [ -n "$api" ] && break
  kill -0 "$backend_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$api" ] || { echo "run_startup.sh: the backend did not start" >&2; exit 2; }

rc=0
for dpi in 96 144; do
  echo "== $dpi DPI =="
  ORVANE_BENCH_API=$api "$here/../tests/wine-run.sh" --prefix "bench_startup_$dpi" --dpi "$dpi" --fresh "$exe" \
    "${2:-10}" || rc=1
done
exit $rc
