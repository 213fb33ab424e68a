#!/usr/bin/env bash
# Builds the tool and runs the whole test suite: native, then the Windows build under wine (the
# windows-cross preset).
#
#   bash tests/run_all.sh [--no-install]
#
# A compiler and CMake are all it needs beforehand. What the suite needs besides (GoogleTest;
# MinGW-w64 and wine for the Windows half) it installs with apt-get on Debian and Ubuntu, unless
# --no-install or STRTAB2C_NO_INSTALL=1 says not to. The Windows half is skipped when it cannot
# be had, unless STRTAB2C_REQUIRE_WINDOWS=1.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
install=$([ "${STRTAB2C_NO_INSTALL:-0}" = 1 ] && echo 0 || echo 1)
for arg in "$@"; do
  case $arg in
    --no-install) install=0 ;;
    *) echo "usage: bash tests/run_all.sh [--no-install]" >&2; exit 2 ;;
  esac
done
wine=/usr/lib/wine/wine64

for tool in cmake c++; do
  command -v $tool >/dev/null || { echo "run_all: $tool is missing: install a C++ compiler and CMake 3.20 or newer" >&2; exit 1; }
done

have_gtest() { [ -f /usr/include/gtest/gtest.h ] || [ -f /usr/local/include/gtest/gtest.h ] || [ -n "${GTest_DIR:-}" ]; }
# The Windows half builds GoogleTest for the target from the sources Debian ships.
have_windows() { command -v x86_64-w64-mingw32-g++-posix >/dev/null && [ -x $wine ] && [ -d /usr/src/googletest ]; }

# Installs the named packages on Debian and Ubuntu, or says which to install and fails.
get() {
  local why=$1; shift
  if [ "$install" = 1 ] && command -v apt-get >/dev/null; then
    local sudo=()
    [ "$(id -u)" = 0 ] || { command -v sudo >/dev/null && sudo=(sudo); }
    if [ "$(id -u)" = 0 ] || [ ${#sudo[@]} -gt 0 ]; then
      echo "run_all: installing $* ($why)"
      "${sudo[@]}" apt-get update -qq >/dev/null &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@" >/dev/null &&
        return 0
    fi
  fi
  echo "run_all: missing $* for $why; install them (Debian, Ubuntu: apt-get install $*)" >&2
  return 1
}

have_gtest || get "the tests" libgtest-dev || exit 1
if ! have_windows; then
  if ! get "the Windows half of the tests" g++-mingw-w64-x86-64 wine64 googletest; then
    [ "${STRTAB2C_REQUIRE_WINDOWS:-0}" = 1 ] && exit 1
    echo "run_all: skipping the Windows half"
  fi
fi

# Wine makes its prefix on first use: once here, not in several tests at a time.
if have_windows; then WINEDEBUG=-all $wine wineboot >/dev/null 2>&1 </dev/null || true; fi

cmake -S . -B build -DSTRTAB2C_REQUIRE_TESTS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"

# The Windows half: the whole suite cross-built with MinGW-w64, every test run under wine.
if have_windows; then
  cmake --preset windows-cross
  cmake --build --preset windows-cross -j "$jobs"
  ctest --preset windows-cross --no-tests=error -j "$jobs"
fi
