#!/bin/bash
# Fails when the program imports any DLL that a clean Windows 10/11 does not
# ship: the C and C++ runtimes must be linked in statically.
set -euo pipefail
exe=$1
allowed='^(kernel32|user32|gdi32|gdiplus|msimg32|winhttp|ole32|oleaut32|shell32|advapi32|comctl32|shlwapi|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+|psapi|version|uxtheme|dbghelp)\.dll$'
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
echo "imports: $(echo $dlls)"
bad=0
for d in $dlls; do
  if ! [[ $d =~ $allowed ]]; then echo "not a system DLL: $d"; bad=1; fi
done
subsystem=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/^Subsystem/ {print $2}')
if [ "$subsystem" != 00000002 ]; then echo "not a GUI program (subsystem $subsystem)"; bad=1; fi
exit $bad
