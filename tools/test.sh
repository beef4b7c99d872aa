#!/usr/bin/env bash
# Builds and runs the whole test suite; then builds again with the address
# and undefined-behaviour sanitizers and runs it all again there.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
export QT_QPA_PLATFORM=offscreen
BUILD_DIR="$top/build" bash "$top/tools/build.sh"
(cd "$top/build" && ctest --output-on-failure -j "$(nproc)" --timeout 600)
BUILD_DIR="$top/build-asan" bash "$top/tools/build.sh" -DVELMAR_SANITIZE=ON -DVELMAR_BUILD_BENCH=OFF
(cd "$top/build-asan" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
   ctest --output-on-failure -j "$(nproc)" --timeout 900)
