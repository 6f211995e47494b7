#!/usr/bin/env bash
# Makes a release of the commit that is checked out: builds the tool for Linux and for Windows in
# Release, packages both, and writes the Debian package, the Windows ZIP and SHA256SUMS to dist/.
# Then it checks them: lintian on the .deb, and a second build of the same commit from a clone in
# another directory, minutes later and under another umask and time zone, which must give the
# same ulmor, ulmor.exe, .deb and ZIP byte for byte. It ends with status 1 when a check fails;
# the artifacts stay in dist/ to be looked at.
#
# Needs what .ci/run installs, and lintian. The builds go to build-release/ and a temporary
# directory; the tree itself must be clean, since a release is made of a commit.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)

say() { echo "release.sh: $*"; }

# Program, then the Debian package that brings it.
tools=(cmake:cmake git:git g++:g++ x86_64-w64-mingw32-g++-win32:g++-mingw-w64-x86-64-win32
  dpkg-shlibdeps:dpkg-dev lintian:lintian python3:python3 sha256sum:coreutils)
missing=()
for tool in "${tools[@]}"; do
  command -v "${tool%%:*}" >/dev/null 2>&1 || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "missing; install with: apt-get install ${missing[*]}" >&2
  exit 1
fi

if [ -n "$(git status --porcelain)" ]; then
  say "the tree has changes that are not committed; commit or stash them first:" >&2
  git status --short >&2
  exit 1
fi
commit=$(git rev-parse HEAD)

# Builds the tree at $1 into $1/$2 (Linux) and $1/$3 (Windows), with the README's commands, and
# packages both into $1/$4. The steps are chained, since errexit does not hold in a function
# whose status is tested.
build_and_package() {
  local tree=$1 linux=$2 windows=$3 packages=$4
  # The tests are left out: they change nothing that is shipped.
  cd "$tree" &&
    cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
    cmake --build "$linux" -j "$jobs" &&
    cmake -S . -B "$windows" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
    cmake --build "$windows" -j "$jobs" &&
    (cd "$linux" && cpack -G DEB -B "$tree/$packages") &&
    (cd "$windows" && cpack -B "$tree/$packages")
}

log=$root/build-release/log
rm -rf build-release dist
mkdir -p build-release dist
say "building and packaging $commit (log: build-release/log)"
(build_and_package "$root" build-release/linux build-release/windows build-release/packages) \
  >"$log" 2>&1 || { cat "$log"; say "the build failed" >&2; exit 1; }
cp build-release/packages/*.deb build-release/packages/*.zip dist/
(cd dist && sha256sum -- *.deb *.zip >SHA256SUMS)
deb=$(echo dist/*.deb)
zip=$(echo dist/*.zip)

status=0
say "lintian --fail-on error,warning $deb"
if lintian --fail-on error,warning "$deb"; then
  lintian_result="passed"
else
  lintian_result="FAILED"
  status=1
fi

# The second build: another source path, another time, another umask and time zone, and the
# build directories' names that the README gives.
second=$(mktemp -d)
trap 'rm -rf "$second"' EXIT
say "building $commit again in $second/ulmor"
{
  git clone --quiet --no-checkout "$root" "$second/ulmor" &&
    git -C "$second/ulmor" -c advice.detachedHead=false checkout --quiet --detach "$commit" &&
    (umask 077 && export TZ=JST-9 && build_and_package "$second/ulmor" build build-win packages)
} >"$second/log" 2>&1 || { cat "$second/log"; say "the second build failed" >&2; exit 1; }

reproducible_result=""
compare() {
  local name=$1 first=$2 again=$3
  if cmp -s "$first" "$again"; then
    reproducible_result+=$'\n'"  same bytes:  $name"
  else
    reproducible_result+=$'\n'"  DIFFERENT:   $name ($first and the second build's differ)"
    status=1
  fi
}
compare ulmor build-release/linux/ulmor "$second/ulmor/build/ulmor"
compare ulmor.exe build-release/windows/ulmor.exe "$second/ulmor/build-win/ulmor.exe"
compare "$(basename "$deb")" "$deb" "$second/ulmor/packages/$(basename "$deb")"
compare "$(basename "$zip")" "$zip" "$second/ulmor/packages/$(basename "$zip")"

echo
say "release of $commit"
echo "  $root/$deb"
echo "  $root/$zip"
echo "  $root/dist/SHA256SUMS"
echo "lintian: $lintian_result"
echo "built twice, from $root and from a clone elsewhere:$reproducible_result"
if [ $status -ne 0 ]; then
  say "NOT releasable: a check failed" >&2
fi
exit $status
