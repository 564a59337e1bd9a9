#!/bin/bash
# Runs the integration test program under Wine against the project's own
# backend, started in test mode with simulated payments on a free loopback
# port with a throw-away database, and stops the backend afterwards. Beside
# it: a forward proxy that alone resolves store.test (to the backend), and
# HTTPS backends serving the certificates of make_test_certs.sh. Exit code is
# the program's.
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
pids=()
stop_servers() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap stop_servers EXIT

# Starts a server in the background with its output in $work/NAME.* and sets
# $address to what its first line announces.
start_server() {  # NAME SED_PATTERN COMMAND...
  local name=$1 pattern=$2; shift 2
  "$@" >"$work/$name.stdout" 2>"$work/$name.stderr" &
  local pid=$!
  pids+=("$pid")
  address=
  for _ in $(seq 1 100); do
    address=$(sed -n "$pattern" "$work/$name.stdout" | head -n 1)
    [ -n "$address" ] && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "run.sh: $name did not start" >&2
  cat "$work/$name.stderr" >&2
  exit 2
}

backend() {  # NAME ARGS...
  local name=$1; shift
  start_server "$name" 's/^backend listening on \(https*:[^ ]*\).*$/\1/p' \
    /usr/bin/python3 "$src/backend/server.py" --host 127.0.0.1 --port 0 --db "$work/$name.db" "$@"
}

windows_path() { echo "Z:${1//\//\\}"; }

# Every test order comes from 127.0.0.1, and the hostile table makes some
# sixty of them a minute: far above the address's everyday allowance, which
# the backend's own tests check.
backend backend --test-mode --simulate-payments --allow-host store.test --intent-rate 1000/100
export ORVANE_TEST_API=$address
export ORVANE_TEST_CONTROL=${address%/api/v1}/__test__
echo "run.sh: backend at $address" >&2

start_server proxy 's/^proxy listening on \(.*\)$/\1/p' /usr/bin/python3 "$src/tests/support/forward_proxy.py" \
  --map store.test=127.0.0.1 --log "$work/proxy.log" --lifetime 900
export ORVANE_TEST_PROXY=$address ORVANE_TEST_PROXY_LOG=$(windows_path "$work/proxy.log")

"$src/tests/support/make_test_certs.sh" "$work/certs" || exit 2
export ORVANE_TEST_CA=$(windows_path "$work/certs/ca.pem")
for cert in localhost other-name expired untrusted; do
  backend "tls-$cert" --tls-cert "$work/certs/$cert.pem" --tls-key "$work/certs/$cert.key"
  # The certificates name localhost, the host the program is given.
  export "ORVANE_TEST_TLS_$(echo "$cert" | tr 'a-z-' 'A-Z_')=${address/\/\/127.0.0.1:/\/\/localhost:}"
done

"$src/tests/wine-run.sh" --prefix integration --fresh "$exe" "$@"
rc=$?
if [ $rc -ne 0 ]; then
  echo "run.sh: backend request log (last 40 lines):" >&2
  tail -n 40 "$work/backend.stderr" >&2
fi
exit $rc
