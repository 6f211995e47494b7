#!/usr/bin/env bash
# `cmake --install` puts the program, the compressed man page and the documentation directory,
# and nothing else, under the prefix, each file as the build or the tree has it.
# Usage: install.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1
build=$2
source=$3

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

status=0
installed=$(cd "$prefix" && find . -type f -printf '%p %m\n' | LC_ALL=C sort)
expected='./bin/ulmor 755
./share/doc/ulmor/changelog.gz 644
./share/doc/ulmor/copyright 644
./share/doc/ulmor/examples/make_sample.py 755
./share/doc/ulmor/examples/sample.uq 644
./share/man/man1/ulmor.1.gz 644'
if [ "$installed" != "$expected" ]; then
  printf 'installed:\n%s\nexpected:\n%s\n' "$installed" "$expected"
  exit 1
fi

same() {
  if ! cmp -s "$1" "$2"; then
    echo "${1#"$prefix/"} is not $3"
    status=1
  fi
}
same "$prefix/bin/ulmor" "$build/ulmor" "the built program"
same "$prefix/share/doc/ulmor/copyright" "$build/doc/copyright" "doc/copyright of the build"
same "$prefix/share/doc/ulmor/examples/sample.uq" "$source/examples/sample.uq" "examples/sample.uq"
same "$prefix/share/doc/ulmor/examples/make_sample.py" "$source/examples/make_sample.py" \
  "examples/make_sample.py"
# Compressed as Debian asks (gzip -9n): no name or time in the header, so the bytes depend on the
# text alone and gzip makes them again.
for page in share/man/man1/ulmor.1:doc/ulmor.1 share/doc/ulmor/changelog:doc/changelog; do
  installed=$prefix/${page%%:*}.gz
  text=$build/${page#*:}
  same <(gzip -dc "$installed") "$text" "${page#*:} of the build, compressed"
  same "$installed" <(gzip -9n <"$text") "compressed with gzip -9n"
done
exit $status
