#!/usr/bin/env bash
# Builds the tool and runs every test suite. This is the one test command; CI runs it too, through
# .ci/run.
#
# On Debian it first installs the packages below that are missing, when it can: as root, with
# apt-get. When it cannot, it says what is missing, runs the suites it can, and at the end names
# those it skipped and why; under CI (CI=true) a skipped suite fails the run. A check whose tool is
# missing skips itself the same way (tests/checks/require.sh).
#
# Every build here treats a warning as an error (ULMOR_WERROR), which a user's build does not.
set -euo pipefail
cd "$(dirname "$0")/.."

# The Debian packages the suites need, the one list of them: .ci/run installs through this script.
# One a line, grouped by what needs them.
packages=(
  # The build, the unit and end-to-end suites, and the checks' scripts.
  cmake
  g++
  make
  libgtest-dev
  python3
  # The format, static-analysis, man-page and package checks.
  clang-format-14
  clang-tidy-14
  groff-base
  dpkg-dev
  # lintian judges the Debian package as Debian's own archive would.
  lintian
  # configure compresses the man page and the changelog.
  gzip
  # The Windows build, its ZIP, and its end-to-end suite under Wine.
  g++-mingw-w64-x86-64-win32
  wine64
)
# Installed without what they recommend: all the checks take from devscripts is hardening-check,
# and its recommends bring keyrings and mail tools.
bare_packages=(
  devscripts
)
# One seed for the random containers of every suite and build, so that the native and the Windows
# build meet the same ones. A failing shard prints it; setting ULMOR_TEST_SEED replays the run.
export ULMOR_TEST_SEED="${ULMOR_TEST_SEED:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}"
echo "test.sh: random containers from seed $ULMOR_TEST_SEED"

windows_packages=(g++-mingw-w64-x86-64-win32 wine64)
windows_tools=(x86_64-w64-mingw32-g++-win32 /usr/lib/wine/wine64)

jobs=$(nproc 2>/dev/null || echo 2)
werror=-DULMOR_WERROR=ON

missing_packages() {
  local package
  for package in "${packages[@]}" "${bare_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      echo "$package"
  done
}

missing_windows_tools() {
  local tool
  for tool in "${windows_tools[@]}"; do
    command -v "$tool" >/dev/null 2>&1 || echo "$tool"
  done
}

# Why the packages that are still missing could not be installed; empty when none is.
missing=()
why=""
if ! command -v dpkg-query >/dev/null 2>&1; then
  why="this is not a Debian system: install the equivalent of ${packages[*]} ${bare_packages[*]} by hand"
else
  mapfile -t missing < <(missing_packages)
  if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" != 0 ]; then
      why="installing them takes root: apt-get install ${missing[*]}"
    elif ! command -v apt-get >/dev/null 2>&1; then
      why="installing them takes apt-get"
    else
      echo "test.sh: installing ${missing[*]}"
      export DEBIAN_FRONTEND=noninteractive
      bare=()
      full=()
      for package in "${missing[@]}"; do
        if [[ " ${bare_packages[*]} " == *" $package "* ]]; then
          bare+=("$package")
        else
          full+=("$package")
        fi
      done
      if ! { apt-get update -qq &&
        { [ ${#full[@]} -eq 0 ] || apt-get install -y -qq "${full[@]}"; } &&
        { [ ${#bare[@]} -eq 0 ] || apt-get install -y -qq --no-install-recommends "${bare[@]}"; }; }; then
        # Under CI that ends the run; elsewhere the suites that can run still do.
        if [ "${CI:-}" = true ]; then
          echo "test.sh: apt-get could not install ${missing[*]}" >&2
          exit 1
        fi
      fi
    fi
    mapfile -t missing < <(missing_packages)
    if [ ${#missing[@]} -gt 0 ]; then
      why=${why:-"apt-get could not install them"}
      echo "test.sh: missing ${missing[*]}; $why" >&2
    fi
  fi
fi
if ! command -v cmake >/dev/null 2>&1; then
  echo "test.sh: cmake is missing, so nothing can be built; $why" >&2
  exit 1
fi

skipped=()
skip() {
  echo "test.sh: skipping $1" >&2
  skipped+=("$1")
}

windows_missing=$(missing_windows_tools | tr '\n' ' ')
if [ -z "$windows_missing" ]; then
  cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake "$werror"
  cmake --build build-win -j "$jobs"
  windows_build="$PWD/build-win"
else
  skip "the Windows build and its Wine suite (wine_e2e_tests): ${windows_missing}missing \
(packages ${windows_packages[*]})${why:+; $why}"
  windows_build=""
fi

cmake -S . -B build "$werror" -DULMOR_WINDOWS_BUILD="$windows_build"
cmake --build build -j "$jobs"
# Configure leaves out tests/ when GoogleTest is missing, and says so.
if [ ! -f build/tests/CTestTestfile.cmake ]; then
  skip "every suite and check: GoogleTest is missing (package libgtest-dev)${why:+; $why}"
else
  ctest --test-dir build -j "$jobs" --output-on-failure

  # The same suites once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
  cmake -S . -B build-asan "$werror" -DULMOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build-asan -j "$jobs"
  ctest --test-dir build-asan -j "$jobs" --output-on-failure
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "test.sh: missing ${missing[*]}; $why" >&2
fi
if [ ${#skipped[@]} -gt 0 ]; then
  printf 'test.sh: SKIPPED %s\n' "${skipped[@]}" >&2
  if [ "${CI:-}" = true ]; then
    echo "test.sh: under CI every suite must run" >&2
    exit 1
  fi
fi
