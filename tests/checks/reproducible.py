#!/usr/bin/env python3
"""The Debian package and the Windows ZIP come out the same, byte for byte, when cpack makes them
twice from one build, seconds apart, the second time under another umask and time zone, with no
SOURCE_DATE_EPOCH exported. In both, every member has the build's source date, root (or no one)
as owner, and its place in name order, so that neither the packager's user nor the order in
which a file system lists a directory reaches the package.

Usage: reproducible.py CMAKE CPACK SOURCE_DIR BUILD_DIR [WINDOWS_BUILD_DIR]

Without WINDOWS_BUILD_DIR, the check makes a Windows build of its own.
"""

import io
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import time
import zipfile
from pathlib import Path

# The second packaging differs from the first in all of these.
SECOND_UMASK = 0o077
SECOND_TZ = "JST-9"  # POSIX form: needs no time zone database
# Longer than the two seconds of a ZIP member's time.
PAUSE_SECONDS = 2.5

failures = []


def fail(message):
    failures.append(message)


def require(program):
    """Skips the check (exit 77) when PROGRAM is missing, except under CI, where it must be."""
    if shutil.which(program):
        return
    print(f"reproducible.py: needs {program}, which is not installed; "
          ".ci/run installs it with apt-get")
    sys.exit(1 if os.environ.get("CI") == "true" else 77)


def source_date(build):
    config = (build / "CPackConfig.cmake").read_text()
    found = re.search(r'set\(CPACK_ULMOR_SOURCE_DATE_EPOCH "([0-9]+)"\)', config)
    if not found:
        sys.exit(f"{build}/CPackConfig.cmake names no source date")
    return int(found.group(1))


def run(command, **options):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **options)
    if result.returncode != 0:
        sys.exit(f"{' '.join(map(str, command))} failed:\n{result.stdout.decode()}")


def package_twice(cpack, build, generator, suffix, work):
    """The package that cpack makes from BUILD, twice, as bytes."""
    environment = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
    made = []
    for turn, umask, zone in (("first", 0o022, "UTC0"), ("second", SECOND_UMASK, SECOND_TZ)):
        if made:
            time.sleep(PAUSE_SECONDS)
        out = work / f"{generator}-{turn}"
        run([cpack, "-G", generator, "-B", out, "--config", build / "CPackConfig.cmake"],
            env=dict(environment, TZ=zone), umask=umask)
        packages = sorted(out.glob(f"*{suffix}"))
        if len(packages) != 1:
            sys.exit(f"cpack -G {generator} made {[p.name for p in packages]}")
        made.append(packages[0])
    first, second = (path.read_bytes() for path in made)
    if first != second:
        offset = next((i for i, (a, b) in enumerate(zip(first, second)) if a != b),
                      min(len(first), len(second)))
        fail(f"{made[0].name}: the second packaging differs from the first from byte {offset} "
             f"on ({len(first)} and {len(second)} bytes)")
    return made[0].name, first


def ar_members(name, data):
    if not data.startswith(b"!<arch>\n"):
        sys.exit(f"{name} is not an ar archive")
    offset = 8
    while offset < len(data):
        header = data[offset:offset + 60]
        size = int(header[48:58])
        yield header, data[offset + 60:offset + 60 + size]
        offset += 60 + size + size % 2


def check_tar(where, data, epoch, name_order):
    if data[:2] == b"\x1f\x8b" and int.from_bytes(data[4:8], "little") != 0:
        fail(f"{where}: the gzip header holds a time")
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:*") as archive:
        members = archive.getmembers()
    names = [member.name for member in members]
    if name_order and names != sorted(names):
        fail(f"{where}: members are not in name order: {names}")
    for member in members:
        owner = (member.uid, member.gid, member.uname, member.gname)
        if owner != (0, 0, "root", "root"):
            fail(f"{where}: {member.name} belongs to {owner}")
        if member.mtime != epoch:
            fail(f"{where}: {member.name} has the time {member.mtime}, not {epoch}")
        if member.isdir() and member.mode != 0o755:
            fail(f"{where}: {member.name} has the mode {member.mode:o}")


def check_deb(name, data, epoch):
    for header, content in ar_members(name, data):
        member = header[:16].decode().strip().rstrip("/")
        fields = [header[16:28], header[28:34], header[34:40], header[40:48]]
        mtime, uid, gid, mode = (field.decode().strip() for field in fields)
        if (mtime, uid, gid, mode) != (str(epoch), "0", "0", "100644"):
            fail(f"{name}: {member} has time {mtime}, owner {uid}:{gid}, mode {mode}")
        # CPack adds the control files in a fixed order of its own, and sorts the data by name.
        if member.startswith(("control.tar", "data.tar")):
            check_tar(f"{name}: {member}", content, epoch, member.startswith("data.tar"))


def check_zip(name, data, epoch):
    expected = time.gmtime(epoch)[:5] + (time.gmtime(epoch).tm_sec // 2 * 2,)
    with zipfile.ZipFile(io.BytesIO(data)) as archive:
        members = archive.infolist()
    names = [member.filename for member in members]
    if names != sorted(names):
        fail(f"{name}: members are not in name order: {names}")
    for member in members:
        if member.date_time != expected:
            fail(f"{name}: {member.filename} has the time {member.date_time}, not {expected}")
        # Extra fields hold the packager's user and group (0x7875) and local times.
        if member.extra:
            fail(f"{name}: {member.filename} carries extra fields {member.extra.hex()}")


def windows_build(cmake, source, work):
    build = work / "windows"
    run([cmake, "-S", source, "-B", build, "-DBUILD_TESTING=OFF",
         f"-DCMAKE_TOOLCHAIN_FILE={source}/cmake/mingw-w64.cmake"])
    run([cmake, "--build", build, "--target", "ulmor"])
    return build


def main():
    if len(sys.argv) not in (5, 6):
        sys.exit(__doc__.split("\n\n")[2])
    cmake, cpack, source, build = sys.argv[1:5]
    source, build = Path(source), Path(build)
    windows = Path(sys.argv[5]) if len(sys.argv) == 6 else None
    require("dpkg-shlibdeps")
    with tempfile.TemporaryDirectory() as temporary:
        work = Path(temporary)
        name, deb = package_twice(cpack, build, "DEB", ".deb", work)
        check_deb(name, deb, source_date(build))
        if windows is None:
            # A skip for want of mingw-w64 must not hide what the .deb showed.
            if failures:
                report()
            require("x86_64-w64-mingw32-g++-win32")
            windows = windows_build(cmake, source, work)
        name, archive = package_twice(cpack, windows, "ZIP", ".zip", work)
        check_zip(name, archive, source_date(windows))
    report()


def report():
    for failure in failures:
        print(failure)
    if failures:
        sys.exit(1)
    print("the .deb and the ZIP are the same at each packaging")


if __name__ == "__main__":
    main()
