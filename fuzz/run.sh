#!/usr/bin/env bash
# Builds the libFuzzer target with clang and fuzzes for the given seconds (default 60).
# Exits non-zero on any finding; the crashing input is left in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSTRTAB2C_FUZZ=ON -DSTRTAB2C_BUILD_TESTS=OFF \
  -DSTRTAB2C_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz --target strtab2c_fuzz -j "$(nproc 2>/dev/null || echo 2)"
mkdir -p build-fuzz/corpus build-fuzz/findings
./build-fuzz/fuzz/strtab2c_fuzz -max_total_time="$seconds" -max_len=8192 -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix=build-fuzz/findings/ -print_final_stats=1 \
  build-fuzz/corpus fuzz/corpus
