#!/usr/bin/env bash
# Builds the tool and runs the whole test suite: native, then the Windows build under wine when
# a MinGW-w64 cross compiler and wine are present (STRTAB2C_REQUIRE_WINDOWS=1 makes them required).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

win_args=()
if command -v x86_64-w64-mingw32-g++ >/dev/null && [ -x /usr/lib/wine/wine64 ]; then
  cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64.cmake \
    -DSTRTAB2C_BUILD_TESTS=OFF -DSTRTAB2C_BUILD_BENCH=OFF
  cmake --build build-mingw -j "$jobs"
  win_args=(-DSTRTAB2C_WINDOWS_EXE="$PWD/build-mingw/strtab2c.exe")
  WINEDEBUG=-all /usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null || true
elif [ "${STRTAB2C_REQUIRE_WINDOWS:-0}" = 1 ]; then
  echo "run_all: x86_64-w64-mingw32-g++ or wine64 missing" >&2
  exit 1
fi

cmake -S . -B build -DSTRTAB2C_REQUIRE_TESTS=ON "${win_args[@]}"
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"
