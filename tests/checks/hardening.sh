#!/usr/bin/env bash
# The program is hardened: hardening-check (devscripts) answers yes to every line, for the
# program in the package that `cpack -G DEB` makes, and for a build with the flags that
# dpkg-buildflags gives a Debian package (all its hardening on, warnings as errors), which must
# build cleanly with each of its own choices left as it made them.
# Usage: hardening.sh CMAKE CPACK SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source "$(dirname "$0")/require.sh"
cmake=$1
cpack=$2
source=$3
build=$4
version=$5

require dpkg-deb
require dpkg-shlibdeps
require dpkg-buildflags
require hardening-check
require objdump
objdump=$found
require readelf

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# Every line of hardening-check's report on the program says yes.
judge() {
  local program=$1 report line code
  report=$(hardening-check "$program") || status=1
  echo "$report"
  while IFS= read -r line; do
    case $line in
      *": yes" | *": yes "*) ;;
      " Stack clash protection: unknown"*)
        # hardening-check knows only the probe loop, which the compiler emits for frames of
        # many pages; the tool's largest frames take less and get single probes instead.
        code=$("$objdump" -d --no-show-raw-insn -M intel "$program")
        if ! grep -Eq 'or +QWORD PTR \[rsp\],0x0' <<<"$code"; then
          echo "no stack clash probe in the program either"
          status=1
        fi
        ;;
      *)
        echo "not hardened:$line"
        status=1
        ;;
    esac
  done < <(tail -n +2 <<<"$report")
}

# The packaged program, since cpack strips what it packages.
"$cpack" -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
dpkg-deb -x "$work/package/ulmor_${version}_$(dpkg --print-architecture).deb" "$work/root"
judge "$work/root/usr/bin/ulmor"

# The control-flow mark is set by the build (cmake/hardening.cmake), so it must be true: linked
# again without setting it, the linker names the objects that lack it, and only the C library's
# start files may; the tool is linked without their _init and _fini, the two that a branch from
# outside reaches.
link=$(<"$build/CMakeFiles/ulmor.dir/link.txt")
if [[ $link != *" -o ulmor "* || $link != *" -Wl,-z,ibt,-z,shstk "* ]]; then
  echo "the tool's link does not set the control-flow mark as expected: $link"
  status=1
else
  link=${link/ -o ulmor / -o $work/unmarked }
  link=${link/ -Wl,-z,ibt,-z,shstk / -Wl,-z,cet-report=warning }
  unmarked=$(cd "$build" && sh -c "$link" 2>&1) || { echo "$unmarked"; exit 1; }
  unmarked=$(grep 'missing IBT' <<<"$unmarked" | grep -Ev '/(Scrt1|crti|crtn)\.o: ' || true)
  if [ -n "$unmarked" ]; then
    printf 'the tool is marked for control-flow protection, but it links:\n%s\n' "$unmarked"
    status=1
  fi
fi
if readelf -dW "$work/root/usr/bin/ulmor" | grep -E '\((INIT|FINI)\)'; then
  echo "the tool lets the loader call the C library's _init or _fini, which have no ENDBR"
  status=1
fi

# A distributor's build: CMake reads CXXFLAGS and LDFLAGS, and debhelper hands it CPPFLAGS
# within CXXFLAGS. The build type is one that has FORTIFY of its own, so that a second
# definition would show.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS) -Werror" \
  LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
  "$cmake" -S "$source" -B "$work/distributor" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_TESTING=OFF >"$work/distributor.log" 2>&1 &&
  "$cmake" --build "$work/distributor" --target ulmor >>"$work/distributor.log" 2>&1 ||
  { cat "$work/distributor.log"; exit 1; }
judge "$work/distributor/ulmor"
# Each kind of hardening the caller chose is there once, as the caller wrote it.
python3 - "$work/distributor/compile_commands.json" <<'PY' || status=1
import json, re, sys
for entry in json.load(open(sys.argv[1])):
    for kind in ("_FORTIFY_SOURCE", "stack-protector", "stack-clash-protection", "cf-protection"):
        found = re.findall(r"\S*" + kind + r"\S*", entry["command"])
        if len(found) > 1:
            sys.exit(f"{entry['file']} is compiled with {' '.join(found)}")
PY
exit $status
