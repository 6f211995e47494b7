#!/usr/bin/env bash
# `cpack -G DEB` makes a Debian package with proper fields that holds the program, the man page
# and the documentation directory under /usr; lintian finds no error and no warning in it, and
# the packaged program runs.
# Usage: deb.sh CPACK BUILD_DIR VERSION
set -euo pipefail
source "$(dirname "$0")/require.sh"
cpack=$1
build=$2
version=$3

require dpkg-deb
require dpkg-shlibdeps
require dpkg-parsechangelog
require lintian
lintian=$found

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# Packaged into a directory of its own, so that a package left in the build directory by hand
# can neither stand in for this one nor be overwritten by it.
"$cpack" -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; exit 1; }
deb=$out/ulmor_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
  echo "no $(basename "$deb") made:"
  ls "$out"
  exit 1
fi

status=0
field() {
  local name=$1 expected=$2 actual
  actual=$(dpkg-deb -f "$deb" "$name")
  if [[ "$actual" != $expected ]]; then
    echo "$name: '$actual', expected '$expected'"
    status=1
  fi
}
field Package ulmor
field Version "$version"
field Architecture "$(dpkg --print-architecture)"
field Maintainer '?*<?*@?*>'
field Section utils
field Depends '*libc6*'
field Suggests python3
# A one-line summary, then an extended description.
field Description $'unpack the members of a container file into a directory\n ulmor reads *'

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6, $1 }' | LC_ALL=C sort)
expected='./usr/bin/ulmor -rwxr-xr-x
./usr/share/doc/ulmor/changelog.gz -rw-r--r--
./usr/share/doc/ulmor/copyright -rw-r--r--
./usr/share/doc/ulmor/examples/make_sample.py -rwxr-xr-x
./usr/share/doc/ulmor/examples/sample.uq -rw-r--r--
./usr/share/man/man1/ulmor.1.gz -rw-r--r--'
if [ "$files" != "$expected" ]; then
  printf 'the package holds:\n%s\nexpected:\n%s\n' "$files" "$expected"
  status=1
fi

# Errors and warnings fail; informational and pedantic tags are listed in the README instead.
if ! "$lintian" --fail-on error,warning "$deb" >"$out/lintian.log" 2>&1; then
  echo "lintian:"
  cat "$out/lintian.log"
  status=1
fi

dpkg-deb -x "$deb" "$out/root"
doc=$out/root/usr/share/doc/ulmor

# The changelog is the entry of the package's own version, and the copyright file names the C++
# runtime exactly when the program carries it (it then does not depend on libstdc++6).
logged=$(gzip -dc "$doc/changelog.gz" | dpkg-parsechangelog -l- -S Version)
if [ "$logged" != "$version" ]; then
  echo "changelog.gz is of version '$logged', the package of $version"
  status=1
fi
if [[ "$(dpkg-deb -f "$deb" Depends)" == *libstdc++* ]]; then
  runtime_linked=no
else
  runtime_linked=yes
fi
if grep -q '^License: .*GCC-Runtime-3.1 exception' "$doc/copyright"; then
  runtime_listed=yes
else
  runtime_listed=no
fi
if [ "$runtime_linked" != "$runtime_listed" ]; then
  echo "the program carries the C++ runtime: $runtime_linked; the copyright file lists it: $runtime_listed"
  status=1
fi

# The packaged program is stripped, so it cannot be compared with the build's: run it instead.
usage=$("$out/root/usr/bin/ulmor" | od -c) || { echo "the packaged ulmor failed"; status=1; }
if [ "$usage" != "$(printf 'skladnia: ulmor <uq_file> <out_dir>\r\n' | od -c)" ]; then
  echo "the packaged ulmor does not print the usage line:"
  echo "$usage"
  status=1
fi
exit $status
