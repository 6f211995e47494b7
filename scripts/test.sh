#!/usr/bin/env bash
# Builds the tool and runs every test suite. This is the one test command; CI runs it too.
#
# The Windows build is cross-compiled with mingw-w64 and its end-to-end suite runs under Wine.
# Either missing, this script installs them when it can (as root, with apt-get); when it cannot,
# it runs the other suites, says which tests it skipped and why, and fails under CI (CI=true).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

windows_packages=(g++-mingw-w64-x86-64-win32 wine64)
windows_tools=(x86_64-w64-mingw32-g++-win32 /usr/lib/wine/wine64)

missing_windows_tools() {
  local tool
  for tool in "${windows_tools[@]}"; do
    command -v "$tool" >/dev/null 2>&1 || echo "$tool"
  done
}

windows_skipped=""
if [ -n "$(missing_windows_tools)" ]; then
  if [ "$(id -u)" != 0 ]; then
    why="installing them takes root"
  elif ! command -v apt-get >/dev/null 2>&1; then
    why="installing them takes apt-get"
  else
    echo "test.sh: installing ${windows_packages[*]} for the Windows tests"
    why="apt-get could not install them"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq "${windows_packages[@]}" || true
  fi
  missing=$(missing_windows_tools | tr '\n' ' ')
  if [ -n "$missing" ]; then
    windows_skipped="the Windows build and its Wine suite (wine_e2e_tests): ${missing}missing"
    windows_skipped+=" (packages ${windows_packages[*]}), and $why"
    echo "test.sh: skipping $windows_skipped" >&2
  fi
fi

if [ -z "$windows_skipped" ]; then
  cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
  cmake --build build-win -j "$jobs"
  windows_build="$PWD/build-win"
else
  windows_build=""
fi

cmake -S . -B build -DULMOR_WINDOWS_BUILD="$windows_build"
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

# The same suites once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DULMOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan -j "$jobs" --output-on-failure

if [ -n "$windows_skipped" ]; then
  echo "test.sh: SKIPPED $windows_skipped" >&2
  if [ "${CI:-}" = true ]; then
    echo "test.sh: under CI every suite must run" >&2
    exit 1
  fi
fi
