#!/bin/bash
# Runs the paint benchmark under Wine at 96 and 144 DPI and prints its figures.
# The benchmark prefixes map the UI face "微软雅黑" to WenQuanYi Micro Hei, as a
# Chinese Windows would have a full CJK + Latin face; without it Wine falls
# back to a CJK-only face and Latin text shows as boxes.
# usage: bench/run_paint.sh BUILD_DIR [bench_paint arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run_paint.sh BUILD_DIR [ARGS...]}" && pwd)
shift
export ORVANE_WINE_ROOT=${ORVANE_WINE_ROOT:-$build/wine}
for dpi in 96 144; do
  echo "== $dpi DPI =="
  name=bench_paint_$dpi
  prefix=$("$here/../tests/wine-prefix.sh" "$ORVANE_WINE_ROOT" "$name" "$dpi" --fresh)
  (
    export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all HOME="$ORVANE_WINE_ROOT/home"
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
    unset DISPLAY
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '微软雅黑' /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    wineserver -w
  )
  "$here/../tests/wine-run.sh" --prefix "$name" --dpi "$dpi" "$build/bench/bench_paint.exe" "$@"
done
