#!/bin/bash
# Drives the real program under Xvfb through many purchases and page visits
# and prints its threads, handles, GDI objects and working set as it goes.
# usage: bench/soak.sh BUILD_DIR [PURCHASES] [VISITS]   (defaults 200 200)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: soak.sh BUILD_DIR [PURCHASES] [VISITS]}" && pwd)
shift
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
export ORVANE_WINE_ROOT=$build/wine ORVANE_EXE=$build/OrvaneDownloader.exe \
  ORVANE_PROBE=$build/tests/win_probe.exe ORVANE_BUILD_DIR=$build ORVANE_SOURCE_DIR=$here/..
exec /usr/bin/python3 "$here/soak.py" "$@"
