#!/usr/bin/env bash
# What a Windows user gets. `cmake --install` of the Windows build gives bin/ulmor.exe, README.txt,
# LICENSE.txt and NOTICES.txt, and cpack's ZIP holds that same tree and nothing else. The texts
# are plain text with CR LF line ends. ulmor.exe carries its version resource and its manifest,
# has no time stamp, keeps ASLR (high-entropy) and DEP, asks for Windows 7 in its header, and
# imports nothing that Windows 7 lacks.
# Usage: zip.sh CMAKE CPACK SOURCE_DIR VERSION WERROR
set -euo pipefail
source "$(dirname "$0")/require.sh"
cmake=$1
cpack=$2
source=$3
version=$4
# The ULMOR_WERROR of the build that runs the check, so that a warning fails here as it does there.
werror=$5

toolchain=$source/cmake/mingw-w64.cmake
if [ ! -f "$toolchain" ]; then
  echo "$(basename "$0"): this tree has no Windows build ($toolchain)"
  exit 77
fi
require x86_64-w64-mingw32-g++-win32
require x86_64-w64-mingw32-objdump
objdump=$found
require x86_64-w64-mingw32-windres
windres=$found

# A Windows build of its own, with the program only, so that the check depends on no other
# build directory and on no order of building.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
  "$cmake" -S "$source" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_TESTING=OFF \
    -DULMOR_WERROR="$werror" &&
    "$cmake" --build "$work/build" --target ulmor &&
    "$cmake" --install "$work/build" --prefix "$work/prefix" &&
    "$cpack" -B "$work/package" --config "$work/build/CPackConfig.cmake"
} >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
zip=$work/package/ulmor-$version-win64.zip
if [ ! -f "$zip" ]; then
  echo "no $(basename "$zip") made:"
  ls "$work/package"
  exit 1
fi

status=0
expected=$'LICENSE.txt\nNOTICES.txt\nREADME.txt\nbin/ulmor.exe'
installed=$(cd "$work/prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$installed" != "$expected" ]; then
  printf 'cmake --install gives:\n%s\nexpected:\n%s\n' "$installed" "$expected"
  status=1
fi

python3 - "$zip" "$work/unpacked" "$expected" <<'PY'
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
names = sorted(i.filename for i in archive.infolist() if not i.is_dir())
top = sys.argv[1].rsplit("/", 1)[1][: -len(".zip")]
expected = [f"{top}/{name}" for name in sys.argv[3].split("\n")]
if names != expected:
    sys.exit(f"the ZIP holds {names}, expected {expected}")
archive.extractall(sys.argv[2])
PY
unpacked=$work/unpacked/ulmor-$version-win64
while read -r file; do
  cmp "$unpacked/$file" "$work/prefix/$file" || status=1
done <<<"$expected"
exe=$unpacked/bin/ulmor.exe

# The texts: CR LF throughout; LICENSE.txt is the tree's LICENSE; README.txt is written for
# Windows users, with this version and every message the tool can print (the report names the
# module ulmor.exe there); NOTICES.txt gives the notices that the runtime's licences ask for.
python3 - "$unpacked" "$source" "$version" <<'PY' || status=1
import re, sys
unpacked, source, version = sys.argv[1:]
status = 0
def fail(message):
    global status
    print(message)
    status = 1
texts = {}
for name in ["LICENSE.txt", "NOTICES.txt", "README.txt"]:
    data = open(f"{unpacked}/{name}", "rb").read()
    if not data.endswith(b"\r\n") or data.count(b"\n") != data.count(b"\r\n") \
            or data.count(b"\r") != data.count(b"\r\n"):
        fail(f"{name}: not every line ends with CR LF")
    try:
        texts[name] = data.decode("ascii").replace("\r\n", "\n")
    except UnicodeDecodeError:
        fail(f"{name}: not plain ASCII text")
        texts[name] = ""
if texts["LICENSE.txt"] != open(f"{source}/LICENSE", encoding="ascii").read():
    fail("LICENSE.txt is not LICENSE")
readme = texts["README.txt"]
if not readme.startswith(f"ulmor {version} "):
    fail(f"README.txt does not start with ulmor {version}")
if "`" in readme or "|---" in readme:
    fail("README.txt holds Markdown")
section = open(f"{source}/README.md", encoding="utf-8").read().split("## Messages", 1)[1]
section = section.split("\n## ", 1)[0]
messages = set(re.findall(r"`([^`]+)`", section))
if len(messages) < 10:
    fail(f"README.md's Messages section names only {sorted(messages)}")
for message in sorted(messages):
    message = message.replace("in module ulmor ", "in module ulmor.exe ")
    if message not in readme:
        fail(f"README.txt lacks the message {message!r}")
notices = texts["NOTICES.txt"]
for needed in ["Copyright (c) 2009-2016 the mingw-w64 project", "Zope Public License",
               "Copyright (C) 1997-2001 Lucent Technologies", "GCC Runtime Library Exception"]:
    if needed not in notices:
        fail(f"NOTICES.txt lacks {needed!r}")
sys.exit(status)
PY

# The PE header and resources, read from the file itself: no time stamp anywhere, Windows 7
# (6.1) as the oldest Windows for the loader and the console subsystem, ASLR with high entropy
# and DEP, stripped, and resources of type RT_VERSION and RT_MANIFEST, id 1 each. The manifest
# runs the program as the invoker, names Windows 7, 8, 8.1 and 10/11, and leaves the code page
# and the path length limit alone.
python3 - "$exe" <<'PY' || status=1
import struct, sys, xml.etree.ElementTree as ET
data = open(sys.argv[1], "rb").read()
status = 0
def fail(message):
    global status
    print(message)
    status = 1
pe = struct.unpack_from("<I", data, 0x3C)[0]
if data[pe:pe + 4] != b"PE\0\0":
    sys.exit("ulmor.exe is not a PE file")
_, sections, stamp, symbols, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
optional = pe + 24
if struct.unpack_from("<H", data, optional)[0] != 0x20B:
    sys.exit("ulmor.exe is not a 64-bit program")
if stamp != 0:
    fail(f"the PE header has the time stamp {stamp}")
if symbols != 0:
    fail("ulmor.exe is not stripped")
versions = struct.unpack_from("<HH", data, optional + 40) + struct.unpack_from(
    "<HH", data, optional + 48)
if versions != (6, 1, 6, 1):
    fail(f"minimum OS and subsystem versions {versions}, expected 6.1 and 6.1 (Windows 7)")
subsystem, characteristics = struct.unpack_from("<HH", data, optional + 68)
if subsystem != 3:
    fail(f"subsystem {subsystem}, expected 3 (console)")
for bit, name in [(0x20, "HIGH_ENTROPY_VA"), (0x40, "DYNAMIC_BASE"), (0x100, "NX_COMPAT")]:
    if not characteristics & bit:
        fail(f"DllCharacteristics lacks {name}")
resource_rva, resource_size = struct.unpack_from("<II", data, optional + 112 + 2 * 8)
debug_rva = struct.unpack_from("<I", data, optional + 112 + 6 * 8)[0]
if debug_rva != 0:
    fail("ulmor.exe has a debug directory, which holds a time stamp")

def offset(rva):
    table = optional + optional_size
    for i in range(sections):
        _, size, address, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if address <= rva < address + max(size, raw_size):
            return raw + rva - address
    sys.exit(f"no section holds address {rva:#x}")

if resource_rva == 0:
    sys.exit("ulmor.exe has no resources")
root = offset(resource_rva)
def directory(at):
    _, stamp, _, _, named, numbered = struct.unpack_from("<IIHHHH", data, root + at)
    if stamp != 0:
        fail(f"a resource directory has the time stamp {stamp}")
    entries = {}
    for i in range(named + numbered):
        key, value = struct.unpack_from("<II", data, root + at + 16 + 8 * i)
        entries[key] = value
    return entries
resources = {}
for kind, names in directory(0).items():
    for name, languages in directory(names & 0x7FFFFFFF).items():
        for leaf in directory(languages & 0x7FFFFFFF).values():
            rva, size = struct.unpack_from("<II", data, root + leaf)
            resources[(kind, name)] = data[offset(rva):offset(rva) + size]
if sorted(resources) != [(16, 1), (24, 1)]:
    fail(f"resources (type, id) {sorted(resources)}, expected RT_VERSION 1 and RT_MANIFEST 1")

manifest = resources.get((24, 1), b"<none/>")
try:
    assembly = ET.fromstring(manifest)
except ET.ParseError as error:
    sys.exit(f"the manifest is not XML: {error}")
levels = [e.get("level") for e in assembly.iter() if e.tag.endswith("}requestedExecutionLevel")]
if levels != ["asInvoker"]:
    fail(f"requested execution levels {levels}, expected asInvoker")
systems = [e.get("Id") for e in assembly.iter() if e.tag.endswith("}supportedOS")]
expected = ["{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
            "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
            "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
            "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]  # Windows 10 and 11
if systems != expected:
    fail(f"supportedOS {systems}, expected {expected}")
for element in assembly.iter():
    if element.tag.split("}")[-1] in ("activeCodePage", "longPathAware"):
        fail(f"the manifest sets {element.tag}")
sys.exit(status)
PY

# The version resource, as the resource compiler reads it back.
resources=$("$windres" -i "$exe" -O rc)
IFS=. read -r major minor patch <<<"$version"
copyright=$(grep -m1 '^Copyright ' "$source/LICENSE")
for line in \
  "FILEVERSION $major, $minor, $patch, 0" \
  "PRODUCTVERSION $major, $minor, $patch, 0" \
  "VALUE \"FileDescription\", \"Unpacks the members of a container file\"" \
  "VALUE \"FileVersion\", \"$version\"" \
  "VALUE \"ProductName\", \"ulmor\"" \
  "VALUE \"ProductVersion\", \"$version\"" \
  "VALUE \"LegalCopyright\", \"$copyright\"" \
  "VALUE \"OriginalFilename\", \"ulmor.exe\""; do
  if ! grep -qxF "$line" <<<"$(sed 's/^ *//' <<<"$resources")"; then
    echo "the version resource lacks: $line"
    status=1
  fi
done

# The ZIP is all a user gets: a DLL of the compiler's runtime would be missing, and so would a
# function that Windows 7's own DLLs do not export (such as GetSystemTimePreciseAsFileTime, which
# came with Windows 8). Every import must be one of these, all of them in the system DLLs of
# Windows 7 (and of Windows XP already). A new one must be looked up before it is added here.
windows7_imports="
kernel32.dll: CloseHandle CreateDirectoryA CreateFileA CreateSemaphoreW DeleteCriticalSection
  EnterCriticalSection ExitProcess FindClose FindFirstFileA GetCommandLineA GetCurrentThreadId
  GetFileInformationByHandle GetFileType GetLastError GetModuleFileNameA GetModuleHandleW
  GetProcAddress GetStartupInfoA GetStdHandle InitializeCriticalSection IsDBCSLeadByteEx
  LeaveCriticalSection LoadLibraryW MultiByteToWideChar RaiseException ReadFile
  ReleaseSemaphore RtlCaptureContext RtlLookupFunctionEntry RtlUnwindEx RtlVirtualUnwind
  SetErrorMode SetFilePointer SetLastError SetUnhandledExceptionFilter Sleep TlsAlloc TlsFree
  TlsGetValue TlsSetValue VirtualProtect VirtualQuery WaitForSingleObject WideCharToMultiByte
  WriteFile __C_specific_handler
msvcrt.dll: ___lc_codepage_func ___mb_cur_max_func __getmainargs __initenv __iob_func
  __set_app_type __setusermatherr _acmdln _amsg_exit _cexit _close _commode _errno _fmode
  _initterm _onexit _read abort calloc exit fprintf fputc fputs free fwrite localeconv malloc
  memchr memcmp memcpy memmove memset realloc signal strcmp strerror strlen strncmp vfprintf
  wcslen
  _exit _open _write
advapi32.dll: CryptAcquireContextA CryptGenRandom CryptReleaseContext
"
# The last msvcrt.dll line and advapi32.dll are what GCC's stack protector runtime (libssp)
# calls, for a build that turns it on.
imports=$("$objdump" -p "$exe" | awk '
  /^\tDLL Name: / { dll = tolower($3); next }
  /^\t[0-9a-f]+\t/ && dll != "" { print dll, $NF; next }
  !/^\t/ { dll = "" }
')
if [ -z "$imports" ]; then
  echo "ulmor.exe in the ZIP imports nothing: not a Windows program"
  status=1
fi
allowed=$(awk '
  /^[a-z0-9]+\.dll:/ { dll = substr($1, 1, length($1) - 1); $1 = "" }
  { for (i = 1; i <= NF; i++) if ($i != "") print dll, $i }
' <<<"$windows7_imports")
while read -r dll function; do
  if ! grep -qxF "$dll $function" <<<"$allowed"; then
    echo "ulmor.exe imports $function from $dll, which this check does not know to be in" \
      "Windows 7: look it up, and list it here if Windows 7 has it"
    status=1
  fi
done <<<"$imports"
exit $status
