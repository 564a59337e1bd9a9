#!/bin/bash
# Builds the JSON/reply fuzz target natively with libFuzzer and sanitizers,
# then runs it for a bounded time on a copy of the seed corpus.
# usage: tests/fuzz/run.sh [BUILD_DIR]   (default build/fuzz; FUZZ_SECONDS, default 45)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:-$root/build/fuzz}

if ! dpkg -s clang libclang-rt-14-dev >/dev/null 2>&1; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev
fi

mkdir -p "$out"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I "$root/src" "$here/fuzz_json.cpp" \
  "$root/src/util/json.cpp" "$root/src/util/encode.cpp" "$root/src/store/reply.cpp" \
  -o "$out/fuzz_json"

# libFuzzer adds what it finds to its first corpus folder: keep the repo's seeds clean.
rm -rf "$out/corpus"
cp -r "$here/corpus" "$out/corpus"
"$out/fuzz_json" -max_total_time="${FUZZ_SECONDS:-45}" -timeout=10 -max_len=8192 \
  -artifact_prefix="$out/" -print_final_stats=1 "$out/corpus"
