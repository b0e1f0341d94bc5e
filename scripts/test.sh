#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test.
#   scripts/test.sh                         normal build in build/
#   scripts/test.sh --sanitize address,undefined   sanitizer build in build-address-undefined/
#   scripts/test.sh --sanitize thread              ThreadSanitizer build in build-thread/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

sanitize=""
if [ "${1:-}" = "--sanitize" ]; then
  sanitize=${2:?"--sanitize needs address,undefined or thread"}
  shift 2
fi
[ $# -eq 0 ] || { echo "usage: scripts/test.sh [--sanitize address,undefined|thread]" >&2; exit 2; }

"$root/scripts/install-deps.sh"

if [ -n "$sanitize" ]; then
  build="$root/build-${sanitize//,/-}"
  # Benchmarks measure the real build; the sanitized one only runs tests.
  # Qt itself is not built with ThreadSanitizer, whose reports on it would
  # be noise; the window's logic is tested without Qt all the same.
  gui=ON
  [ "$sanitize" = thread ] && gui=OFF
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZAPVANE_WERROR=ON \
        -DZAPVANE_SANITIZE="$sanitize" -DZAPVANE_BUILD_BENCH=OFF -DZAPVANE_BUILD_GUI="$gui"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export TSAN_OPTIONS=halt_on_error=1
else
  build="$root/build"
  cmake -S "$root" -B "$build" -G Ninja -DZAPVANE_WERROR=ON
fi
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
