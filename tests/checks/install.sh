#!/usr/bin/env bash
# `cmake --install` puts the program and the man page, and nothing else, under the prefix.
# Usage: install.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1
build=$2
source=$3

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

status=0
installed=$(cd "$prefix" && find . -type f | sort)
expected=$'./bin/ulmor\n./share/man/man1/ulmor.1'
if [ "$installed" != "$expected" ]; then
  printf 'installed:\n%s\nexpected:\n%s\n' "$installed" "$expected"
  status=1
fi
if [ ! -x "$prefix/bin/ulmor" ] || ! cmp "$prefix/bin/ulmor" "$build/ulmor"; then
  echo "bin/ulmor is not the built program, or is not executable"
  status=1
fi
if ! cmp "$prefix/share/man/man1/ulmor.1" "$source/doc/ulmor.1"; then
  echo "share/man/man1/ulmor.1 is not doc/ulmor.1"
  status=1
fi
exit $status
