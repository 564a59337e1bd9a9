#!/bin/bash
# Makes a private Wine prefix ROOT/NAME for the tests, copied from a pristine
# template ROOT/template (created once, set to Windows 10). DPI sets the
# prefix's LogPixels. With ORVANE_WINE_UNMANAGED=1 the prefix's windows are
# not handed to a window manager: without one, Wine waits 2 s for every
# visible window to be withdrawn, which the unit tests do not need.
# Prints the prefix path.
# usage: wine-prefix.sh ROOT NAME [DPI] [--fresh]
set -euo pipefail
root=$1; name=$2; dpi=${3:-96}; fresh=${4:-}
mkdir -p "$root"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export HOME="$root/home"; mkdir -p "$HOME"
unset DISPLAY
exec 9>"$root/.lock"
flock 9
template="$root/template"
if [ ! -f "$template/.ready-2" ]; then
  rm -rf "$template"
  WINEPREFIX="$template" wineboot -i >/dev/null 2>&1
  WINEPREFIX="$template" wine winecfg -v win10 >/dev/null 2>&1
  # Wine has no 微软雅黑; without a replacement its fallback font lacks Latin
  # letters, digits and the arrows. WenQuanYi Micro Hei has them all.
  WINEPREFIX="$template" wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 微软雅黑 /t REG_SZ \
    /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  WINEPREFIX="$template" wineserver -w
  touch "$template/.ready-2"
fi
prefix="$root/$name"
if [ "$fresh" = "--fresh" ] || [ "$prefix/.ready" -ot "$template/.ready-2" ]; then rm -rf "$prefix"; fi
if [ ! -f "$prefix/.ready" ]; then
  rm -rf "$prefix"
  # Hard links keep the copy cheap; the registry files are copied for real
  # because Wine rewrites them.
  cp -al "$template" "$prefix"
  rm -f "$prefix/.ready-2"
  for f in system.reg user.reg userdef.reg; do rm -f "$prefix/$f"; cp "$template/$f" "$prefix/$f"; done
  if [ "$dpi" != 96 ]; then
    WINEPREFIX="$prefix" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  fi
  if [ "${ORVANE_WINE_UNMANAGED:-0}" = 1 ]; then
    WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  fi
  WINEPREFIX="$prefix" wineserver -w
  touch "$prefix/.ready"
fi
echo "$prefix"
