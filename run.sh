#!/bin/bash
# Builds OrvaneDownloader.exe, starts the local backend on 127.0.0.1:8001 and
# runs the program under Wine. With a desktop session (DISPLAY set) the window
# opens there; without one the program runs in a virtual display and a
# screenshot is saved to build/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
build=build
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target OrvaneDownloader

root=$PWD/$build/wine
prefix=$(tests/wine-prefix.sh "$root" run 96)
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all HOME=$root/home
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

if ! (exec 3<>/dev/tcp/127.0.0.1/8001) 2>/dev/null; then
  # Simulated payments: the QR code leads to a page that marks the order paid.
  # The log is the owner's alone, like the database and the token file.
  (umask 077; exec /usr/bin/python3 backend/server.py --host 127.0.0.1 --port 8001 \
     --db "$build/backend.db" --simulate-payments >"$build/backend.log" 2>&1) &
  pids+=($!)
  for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/8001) 2>/dev/null && break; sleep 0.1; done
  echo "backend: http://127.0.0.1:8001/api/v1 (operator page http://127.0.0.1:8001/admin, token in $build/backend.db.admin-token, log $build/backend.log)"
fi

if [ -n "${DISPLAY:-}" ]; then
  wine "$build/OrvaneDownloader.exe"
  exit $?
fi

fifo=$(mktemp -u); mkfifo "$fifo"
# -noreset: the server would otherwise reset each time its last client leaves
# (every xdotool call below), dropping a connection Wine opens meanwhile.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 disp <"$fifo"; rm -f "$fifo"
export DISPLAY=:$disp
wine "$build/OrvaneDownloader.exe" &
pids+=($!)
for _ in $(seq 120); do
  xdotool search --onlyvisible --name '^Orvane Downloader$' >/dev/null 2>&1 && break
  sleep 0.25
done
sleep 2
import -window root "$build/screenshot.png"
echo "no desktop session: the program ran in a virtual display; screenshot saved to $build/screenshot.png"
