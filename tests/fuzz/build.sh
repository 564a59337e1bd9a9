#!/bin/bash
# Builds every libFuzzer target natively with clang, AddressSanitizer and
# UBSan into OUT (default build/fuzz). The readers are Windows-free; UTF-8
# conversion comes from utf_native.cpp. Prints the targets' names.
# usage: tests/fuzz/build.sh [OUT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:-$root/build/fuzz}

if ! dpkg -s clang libclang-rt-14-dev >/dev/null 2>&1; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev
fi

mkdir -p "$out/obj"
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I "$root/src")
sources=(util/json.cpp util/encode.cpp store/reply.cpp store/pay_rules.cpp store/orders_reply.cpp
         store/catalogue_rules.cpp config/login_reply.cpp store/support_address.cpp config/config_text.cpp
         store/image_header.cpp store/proxy_rules.cpp
         layout/geometry.cpp layout/window_layout.cpp layout/purchase_layout.cpp layout/orders_layout.cpp
         layout/support_layout.cpp layout/card_layout.cpp)
objects=()
for src in "${sources[@]}"; do
  obj="$out/obj/$(basename "$src" .cpp).o"
  clang++ "${flags[@]}" -c "$root/src/$src" -o "$obj" >&2
  objects+=("$obj")
done
clang++ "${flags[@]}" -c "$here/utf_native.cpp" -o "$out/obj/utf_native.o" >&2
objects+=("$out/obj/utf_native.o")
for target in "$here"/targets/fuzz_*.cpp; do
  name=$(basename "$target" .cpp)
  clang++ "${flags[@]}" -I "$here/targets" "$target" "${objects[@]}" -o "$out/$name" >&2
  echo "${name#fuzz_}"
done
