#!/usr/bin/env bash
# In the Windows build, cpack makes a ZIP that holds ulmor.exe and the README, and nothing else,
# and the program in it needs no DLL beyond those that come with Windows, and keeps a random
# base (ASLR, with high entropy) and DEP.
# Usage: zip.sh CMAKE CPACK SOURCE_DIR VERSION
set -euo pipefail
source "$(dirname "$0")/require.sh"
cmake=$1
cpack=$2
source=$3
version=$4

toolchain=$source/cmake/mingw-w64.cmake
if [ ! -f "$toolchain" ]; then
  echo "$(basename "$0"): this tree has no Windows build ($toolchain)"
  exit 77
fi
require x86_64-w64-mingw32-g++-posix
require x86_64-w64-mingw32-objdump
objdump=$found

# A Windows build of its own, with the program only, so that the check depends on no other
# build directory and on no order of building.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
  "$cmake" -S "$source" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_TESTING=OFF &&
    "$cmake" --build "$work/build" --target ulmor &&
    "$cpack" -B "$work/package" --config "$work/build/CPackConfig.cmake"
} >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
zip=$work/package/ulmor-$version-win64.zip
if [ ! -f "$zip" ]; then
  echo "no $(basename "$zip") made:"
  ls "$work/package"
  exit 1
fi

python3 - "$zip" "$work/unpacked" <<'PY'
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
names = sorted(i.filename for i in archive.infolist() if not i.is_dir())
top = sys.argv[1].rsplit("/", 1)[1][: -len(".zip")]
expected = [f"{top}/README.md", f"{top}/ulmor.exe"]
if names != expected:
    sys.exit(f"the ZIP holds {names}, expected {expected}")
archive.extractall(sys.argv[2])
PY
unpacked=$work/unpacked/ulmor-$version-win64

status=0
cmp "$unpacked/README.md" "$source/README.md" || status=1
# The ZIP is all a user gets: a DLL of the compiler's runtime would be missing.
dlls=$("$objdump" -p "$unpacked/ulmor.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
if [ -z "$dlls" ]; then
  echo "ulmor.exe in the ZIP is not a Windows program"
  status=1
fi
for dll in $dlls; do
  case $dll in
    # advapi32.dll gives the stack protector its random guard.
    kernel32.dll | msvcrt.dll | ucrtbase.dll | advapi32.dll | api-ms-win-*.dll) ;;
    *)
      echo "ulmor.exe needs $dll, which the ZIP does not hold"
      status=1
      ;;
  esac
done
# A random base anywhere in the 64-bit space (HIGH_ENTROPY_VA 0x20, DYNAMIC_BASE 0x40), and no
# code run from data (NX_COMPAT 0x100).
flags=$("$objdump" -p "$unpacked/ulmor.exe" | sed -n 's/^DllCharacteristics\s*//p')
if (((0x$flags & 0x160) != 0x160)); then
  echo "ulmor.exe has DllCharacteristics $flags: not all of HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT"
  status=1
fi
exit $status
