#!/bin/bash
# Runs the integration test program under Wine against the project's own
# backend, started in test mode with simulated payments on a free loopback
# port with a throw-away database, and stops the backend afterwards. Exit
# code is the program's.
# usage: run.sh PROGRAM [GTEST ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=${1:?usage: run.sh PROGRAM [GTEST ARGS...]}; shift
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
src=${ORVANE_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
export ORVANE_WINE_ROOT=${ORVANE_WINE_ROOT:-$(dirname "$exe")/../wine}
# Wine's WinHTTP would send loopback requests through a proxy.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY

work=$(mktemp -d)
/usr/bin/python3 "$src/backend/server.py" --host 127.0.0.1 --port 0 --test-mode --simulate-payments \
  --db "$work/backend.db" \
  >"$work/stdout" 2>"$work/stderr" &
backend_pid=$!
stop_backend() {
  kill "$backend_pid" 2>/dev/null; wait "$backend_pid" 2>/dev/null
  rm -rf "$work"
}
trap stop_backend EXIT

api=
for _ in $(seq 1 100); do
  api=$(sed -n 's/^backend listening on \(http:[^ ]*\).*$/\1/p' "$work/stdout" | head -n 1)
  [ -n "$api" ] && break
  kill -0 "$backend_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$api" ]; then
  echo "run.sh: the backend did not start" >&2
  cat "$work/stderr" >&2
  exit 2
fi
export ORVANE_TEST_API=$api
export ORVANE_TEST_CONTROL=${api%/api/v1}/__test__
echo "run.sh: backend at $api" >&2

"$src/tests/wine-run.sh" --prefix integration --fresh "$exe" "$@"
rc=$?
if [ $rc -ne 0 ]; then
  echo "run.sh: backend request log (last 40 lines):" >&2
  tail -n 40 "$work/stderr" >&2
fi
exit $rc
