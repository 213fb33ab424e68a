#!/usr/bin/env bash
# The whole native test suite with AddressSanitizer and UBSan; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -DSTRTAB2C_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSTRTAB2C_BUILD_BENCH=OFF
cmake --build build-asan -j "$(nproc 2>/dev/null || echo 2)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
