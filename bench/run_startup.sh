#!/bin/bash
# Start-up as the user sees it: the real program and a bare window, cold and
# warm, measured from outside the process (see startup_outside.py).
# usage: run_startup.sh BUILD_DIR [LAUNCHES] [--profile]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run_startup.sh BUILD_DIR [LAUNCHES]}" && pwd)
shift
for f in OrvaneDownloader.exe bench/bare_window.exe tests/win_probe.exe; do
  [ -f "$build/$f" ] || { echo "run_startup.sh: $build/$f not built" >&2; exit 2; }
done
# Wine's WinHTTP would send loopback requests through a proxy.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
exec /usr/bin/python3 "$here/startup_outside.py" "$build" "$@"
