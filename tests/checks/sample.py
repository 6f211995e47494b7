#!/usr/bin/env python3
"""The sample container of the quick start: examples/make_sample.py makes it byte for byte, and
ulmor unpacks it into the script's texts, readable, with one progress line for each.

Usage: sample.py ULMOR SOURCE_DIR
"""

import importlib.util
import subprocess
import sys
import tempfile
from pathlib import Path


def load_maker(path):
    found = importlib.util.spec_from_file_location("make_sample", path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def main():
    ulmor, source = sys.argv[1], Path(sys.argv[2])
    sample = source / "examples" / "sample.uq"
    maker = load_maker(source / "examples" / "make_sample.py")
    failures = []

    with tempfile.TemporaryDirectory() as work:
        remade = Path(work) / "sample.uq"
        subprocess.run([sys.executable, str(source / "examples" / "make_sample.py"), str(remade)],
                       check=True)
        if remade.read_bytes() != sample.read_bytes():
            failures.append("examples/make_sample.py no longer makes examples/sample.uq; rerun it")

        out = Path(work) / "out"
        run = subprocess.run([ulmor, str(sample), str(out)], stdout=subprocess.PIPE, check=False)
        rows = sorted(row for row, _ in maker.MEMBERS)
        lines = b"".join(b"znalazlem %03d.bin\r\n" % row for row in rows)
        if run.returncode != 0 or run.stdout != lines:
            failures.append(f"ulmor ended with {run.returncode} and printed {run.stdout!r}")

        written = sorted(p.name for p in out.iterdir()) if out.is_dir() else []
        if written != [f"{row:03d}.bin" for row in rows]:
            failures.append(f"ulmor wrote {written}")
        for row, text in maker.MEMBERS:
            member = out / f"{row:03d}.bin"
            data = member.read_bytes() if member.is_file() else b""
            if data != maker.padded(text):
                failures.append(f"{member.name} is not the text of row {row}")
            # Readable: printable ASCII lines, padded to whole sectors as the texts say.
            if len(data) % 512 or not all(32 <= b < 127 or b == 10 for b in data):
                failures.append(f"{member.name} is not whole sectors of plain text")

    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
