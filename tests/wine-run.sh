#!/bin/bash
# Runs a Windows test program under Wine in a private prefix and a private
# virtual display, then shuts both down. Exit code is the program's.
# usage: wine-run.sh [--prefix NAME] [--dpi N] [--fresh] [--] PROGRAM [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=${ORVANE_WINE_ROOT:?ORVANE_WINE_ROOT must name the folder for Wine prefixes}
name=base; dpi=96; fresh=
while [ $# -gt 0 ]; do
  case $1 in
    --prefix) name=$2; shift 2;;
    --dpi) dpi=$2; shift 2;;
    --fresh) fresh=--fresh; shift;;
    --) shift; break;;
    *) break;;
  esac
done
prefix=$(ORVANE_WINE_UNMANAGED=1 "$here/wine-prefix.sh" "$root" "$name" "$dpi" $fresh) || { echo "wine-run: cannot make prefix $name" >&2; exit 2; }
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d" HOME="$root/home"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
export ORVANE_EXPECT_DPI=$dpi

xvfb_pid=
fifo=$(mktemp -u); mkfifo "$fifo"
# -noreset: a server reset when its last client leaves drops a connection
# that a Wine process opens at that moment.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 10 disp <"$fifo"; rm -f "$fifo"
if [ -z "${disp:-}" ]; then echo "wine-run: Xvfb did not start" >&2; exit 2; fi
export DISPLAY=:$disp
cleanup() { wineserver -k >/dev/null 2>&1; kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; }
trap cleanup EXIT
wine "$@"
rc=$?
exit $rc
