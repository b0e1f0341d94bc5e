#!/usr/bin/env bash
# Builds the libFuzzer targets of the three file loaders (clang, ASan, UBSan)
# and replays the seed corpus through each. With SECONDS, also fuzzes each
# target that long, new inputs going to build-fuzz/corpus-<target>/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-0}

"$root/scripts/install-deps.sh" clang libclang-rt-14-dev
build="$root/build-fuzz"
CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DZAPVANE_FUZZ=ON -DZAPVANE_BUILD_TESTS=OFF \
      -DZAPVANE_BUILD_BENCH=OFF -DZAPVANE_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure

if [ "$seconds" -gt 0 ]; then
  for target in settings selection user_devices; do
    mkdir -p "$build/corpus-$target"
    "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
      "$build/corpus-$target" "$root/tests/fuzz/corpus/$target" 2>&1 |
      grep -E '^(Done|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' || true
  done
fi
