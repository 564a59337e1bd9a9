#!/bin/bash
# Builds everything and runs every test: unit tests under Wine at 96, 120 and
# 144 DPI, integration tests against the local backend, end-to-end tests in a
# real window under Xvfb, the backend's own tests, the hand-over under
# ThreadSanitizer and a bounded fuzz run.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DORVANE_BUILD_TESTS=ON -DORVANE_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure "$@"
