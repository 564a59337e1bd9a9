#!/bin/bash
# Builds the unit tests of the Windows-free rules natively (GoogleTest,
# AddressSanitizer and UBSan) and runs them.
# usage: tests/native/run.sh [BUILD_DIR]   (default build/native)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:-$root/build/native}
mkdir -p "$out"
cxx=(clang++)
if command -v ccache >/dev/null; then cxx=(ccache clang++); fi
flags=(-std=c++17 -g -O1 -Wall -Wextra -fsanitize=address,undefined -fno-sanitize-recover=undefined -I "$root/src")
sources=(store/proxy_rules.cpp app/crash_files.cpp)
objects=()
for src in "${sources[@]}" ; do
  obj="$out/$(basename "$src" .cpp).o"
  "${cxx[@]}" "${flags[@]}" -c "$root/src/$src" -o "$obj"
  objects+=("$obj")
done
for test in "$here"/test_*.cpp; do
  obj="$out/$(basename "$test" .cpp).o"
  "${cxx[@]}" "${flags[@]}" -c "$test" -o "$obj"
  objects+=("$obj")
done
"${cxx[@]}" "${flags[@]}" "${objects[@]}" -lgtest -lgtest_main -pthread -o "$out/native_tests"
"$out/native_tests"
