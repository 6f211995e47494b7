#!/usr/bin/env python3
"""Takes out of a package what belongs to the machine that made it, not to the release.

Usage: normalize_package.py SOURCE_DATE_EPOCH PACKAGE...

cmake/cpack-normalize.cmake runs this on every package that cpack makes. CPack 3.25 already gives
each archive member the time SOURCE_DATE_EPOCH, and a Debian package's members root as owner and
a sorted order. What it leaves to the packager, this fixes:

- .deb: the ar members debian-binary, control.tar.gz and data.tar.gz carry the mode that the
  packager's umask gave their temporary files; they become rw-r--r--, as dpkg-deb writes them.
  Their contents are kept byte for byte.
- .zip: members come in the order the file system lists the staging directory, with the
  packager's user and group IDs, and a DOS time in the packager's time zone. The archive is
  written again with the members sorted by name, no owner, the time SOURCE_DATE_EPOCH in UTC, and
  rw-r--r-- (rwxr-xr-x where any execute bit was set, and for directories).

Other packages are left as they are.
"""

import os
import sys
import time
import zipfile
from pathlib import Path

AR_MAGIC = b"!<arch>\n"
AR_HEADER = 60
AR_MODE = slice(40, 48)
DEB_MEMBER_MODE = b"100644".ljust(8)

# The earliest time a ZIP member can carry.
DOS_EPOCH = (1980, 1, 1, 0, 0, 0)


def normalize_deb(path):
    data = bytearray(path.read_bytes())
    if not data.startswith(AR_MAGIC):
        sys.exit(f"{path}: not an ar archive")
    offset = len(AR_MAGIC)
    while offset < len(data):
        header = data[offset:offset + AR_HEADER]
        if len(header) != AR_HEADER or header[58:60] != b"`\n":
            sys.exit(f"{path}: broken ar member header at byte {offset}")
        header[AR_MODE] = DEB_MEMBER_MODE
        data[offset:offset + AR_HEADER] = header
        size = int(header[48:58].decode("ascii"))
        offset += AR_HEADER + size + size % 2
    path.write_bytes(data)


def normalize_zip(path, epoch):
    date_time = max(DOS_EPOCH, tuple(time.gmtime(epoch))[:6])
    with zipfile.ZipFile(path) as source:
        members = sorted(source.infolist(), key=lambda member: member.filename)
        contents = [source.read(member) for member in members]
    temporary = path.with_name(path.name + ".normalizing")
    with zipfile.ZipFile(temporary, "w") as target:
        for member, content in zip(members, contents):
            info = zipfile.ZipInfo(member.filename, date_time)
            info.create_system = 3  # Unix, so that the mode below is read back
            unix_mode = member.external_attr >> 16
            if member.is_dir():
                info.external_attr = (0o40755 << 16) | 0x10  # MS-DOS directory attribute
            else:
                info.external_attr = (0o100755 if unix_mode & 0o111 else 0o100644) << 16
                info.compress_type = zipfile.ZIP_DEFLATED
            target.writestr(info, content, compresslevel=9)
    os.replace(temporary, path)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__.split("\n\n")[1])
    epoch = int(sys.argv[1])
    for name in sys.argv[2:]:
        path = Path(name)
        if path.suffix == ".deb":
            normalize_deb(path)
        elif path.suffix == ".zip":
            normalize_zip(path, epoch)


if __name__ == "__main__":
    main()
