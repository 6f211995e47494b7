#!/usr/bin/env bash
# Configure serves those who want the tool only: without GoogleTest it succeeds, leaves the
# tests out and says so in one line with the package that brings them; warnings stay warnings
# unless ULMOR_WERROR asks. With the tests but no Windows build, it says why the Wine suite is
# off instead of dropping it without a word.
# Usage: configure.sh CMAKE SOURCE_DIR
set -euo pipefail
cmake=$1
source=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
  echo "$1"
  status=1
}
configure() {
  local build=$1
  shift
  "$cmake" -S "$source" -B "$work/$build" "$@" >"$work/$build.log" 2>&1 ||
    { cat "$work/$build.log"; exit 1; }
}

configure tool -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
grep -q '^-- Tests off: GoogleTest not found (Debian package libgtest-dev)' "$work/tool.log" ||
  fail "configure without GoogleTest does not say that the tests are off and why"
if [ -e "$work/tool/tests" ]; then
  fail "configure without GoogleTest still configures tests/"
fi
flags=$(grep -o '"command": "[^"]*src/app/main.cpp"' "$work/tool/compile_commands.json")
[[ "$flags" == *" -Wall -Wextra "* ]] || fail "the tool is not compiled with -Wall -Wextra: $flags"
[[ "$flags" != *-Werror* ]] || fail "warnings are errors without ULMOR_WERROR: $flags"

configure tests
grep -q '^-- Wine suite off: ULMOR_WINDOWS_BUILD names no Windows build tree' "$work/tests.log" ||
  fail "configure without a Windows build does not say that the Wine suite is off"
exit $status
