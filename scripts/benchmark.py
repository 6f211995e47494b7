#!/usr/bin/env python3
"""Times ulmor against dd bs=64k copying the same bytes, and counts ulmor's system calls.

    scripts/benchmark.py [--runs N] [--dir DIR] [--locale NAME] [--tool PATH]

Everything happens in a temporary directory, removed at the end: a Release build of the tool, a
small launcher that reads each child's resource usage, the containers and the copies. By default
that directory is made in /dev/shm, so that both programs copy through the page cache alone and
no disk or file-system journal takes part. Needs cmake, g++ with its C compiler, dd, strace, and
about 0.7 GiB free where the directory is made.

The comparison: one dd process per container copies the same number of bytes in 64 KiB blocks.
For the container of one large member that is the member's own byte range of the container, the
same work as ulmor's. The members of the other container overlap, and one dd process cannot copy
overlapping ranges of one file, so there dd copies a file that holds the members end to end.
"""

import argparse
import datetime
import hashlib
import os
import platform
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SECTOR = 512
BLOCK = 65536
MIB = 1 << 20
PAUSE_SECONDS = 1.0
SIGNATURE = bytes([0x56, 0x61, 0xAA, 0x55])
MEMBER_COUNT = 127
DATA_SECTORS = 65536  # sector numbers reach 32 MiB and no further
MEMBER_SECTORS = 2 * MIB // SECTOR

CPU_TARGET = 1.05
RESIDENT_TARGET = 0.75


def fail(message):
    sys.exit("benchmark: " + message)


def run_quietly(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        fail(" ".join(command) + " failed:\n" + result.stdout)


def remove(path):
    if os.path.isdir(path):
        shutil.rmtree(path)
    elif os.path.exists(path):
        os.unlink(path)


def write_container(path, rows, data):
    """rows: {index: (start, length)} in sectors; data starts at sector 1."""
    table = [(0, 0)] * MEMBER_COUNT
    for index, row in rows.items():
        table[index] = row
    with open(path, "wb") as file:
        file.write(SIGNATURE)
        file.write(b"".join(struct.pack("<HH", start, length) for start, length in table))
        file.write(data)


def make_cases(work):
    """The two timed containers, each with dd's command for the same bytes, and the two
    containers that the system call count is taken against."""
    data = random.Random(5).randbytes((DATA_SECTORS - 1) * SECTOR)
    image = bytes(SECTOR) + data  # image[offset] is the container's byte at that offset

    # Starts spread so that the last member ends at 32 MiB: neighbours overlap by most of their
    # length.
    step = (DATA_SECTORS - MEMBER_SECTORS - 1) // (MEMBER_COUNT - 1)
    overlap = {i: (1 + i * step, MEMBER_SECTORS) for i in range(MEMBER_COUNT)}
    largest = {0: (1, 65535)}
    cases = []
    for name, rows, summary in (
            ("overlap", overlap, "127 members of 2 MiB, starts spread over the first 32 MiB"),
            ("largest", largest, "one member of 65535 sectors"),
    ):
        container = os.path.join(work, name + ".uq")
        write_container(container, rows, data)
        ranges = [(start * SECTOR, length * SECTOR) for _, (start, length) in sorted(rows.items())]
        digest = hashlib.sha256()
        for offset, size in ranges:
            digest.update(image[offset:offset + size])
        if len(ranges) == 1:
            offset, size = ranges[0]
            source = ["if=" + container, "iflag=skip_bytes,count_bytes", "skip=%d" % offset,
                      "count=%d" % size]
        else:
            members = os.path.join(work, name + ".members")
            with open(members, "wb") as file:
                for offset, size in ranges:
                    file.write(image[offset:offset + size])
            source = ["if=" + members]
        dd_output = os.path.join(work, name + ".dd")
        cases.append({
            "name": name,
            "summary": summary,
            "container": container,
            "members": len(ranges),
            "bytes": sum(size for _, size in ranges),
            "digest": digest.hexdigest(),
            "dd": ["dd"] + source + ["of=" + dd_output, "bs=64k", "status=none"],
            "dd_output": dd_output,
            "out_dir": os.path.join(work, name + ".out"),
            "ulmor_runs": [],
            "dd_runs": [],
        })
    one_member = os.path.join(work, "one.uq")
    write_container(one_member, {0: overlap[0]}, data)
    no_member = os.path.join(work, "none.uq")
    write_container(no_member, {}, b"")
    return cases, one_member, no_member


def check_copies(case):
    """Both programs wrote exactly the member bytes: timing a wrong copy would say nothing."""
    digest = hashlib.sha256()
    for index in range(case["members"]):
        with open(os.path.join(case["out_dir"], "%03d.bin" % index), "rb") as file:
            digest.update(file.read())
    if digest.hexdigest() != case["digest"]:
        fail('ulmor\'s members of "%s" differ from the container\'s bytes' % case["name"])
    with open(case["dd_output"], "rb") as file:
        if hashlib.sha256(file.read()).hexdigest() != case["digest"]:
            fail('dd\'s copy for "%s" differs from the member bytes' % case["name"])


def measure(spawn, command, env):
    """One run under the launcher: CPU seconds, wall seconds, peak resident KiB."""
    result = subprocess.run([spawn] + command, stdout=subprocess.PIPE, text=True, env=env)
    fields = result.stdout.split()
    if result.returncode != 0 or len(fields) != 5:
        fail("could not run " + " ".join(command))
    status, user, system, resident, wall = (int(field) for field in fields)
    if status != 0:
        fail(" ".join(command) + " ended with wait status %d" % status)
    return {"cpu": (user + system) / 1e6, "wall": wall / 1e9, "resident": resident}


def run_ulmor(spawn, tool, case, env):
    remove(case["out_dir"])
    return measure(spawn, [tool, case["container"], case["out_dir"]], env)


def run_dd(spawn, case, env):
    remove(case["dd_output"])
    return measure(spawn, case["dd"], env)


def strace_counts(tool, container, out_dir, work, env):
    """System call counts of one run into a fresh directory, from strace -c."""
    remove(out_dir)
    summary = os.path.join(work, "strace.txt")
    subprocess.run(["strace", "-c", "-o", summary, tool, container, out_dir],
                   stdout=subprocess.DEVNULL, env=env, check=True)
    remove(out_dir)
    with open(summary) as file:
        lines = file.read().splitlines()
    rules = [i for i, line in enumerate(lines) if line.startswith("------")]
    counts = {}
    for line in lines[rules[0] + 1:rules[1]]:
        fields = line.split()  # % time, seconds, usecs/call, calls, [errors,] syscall
        counts[fields[-1]] = int(fields[3])
    return counts


def machine_description():
    model = "unknown processor"
    with open("/proc/cpuinfo") as file:
        for line in file:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    memory = 0.0
    with open("/proc/meminfo") as file:
        for line in file:
            if line.startswith("MemTotal:"):
                memory = int(line.split()[1]) / (1 << 20)
    system = platform.system()
    try:
        with open("/etc/os-release") as file:
            for line in file:
                if line.startswith("PRETTY_NAME="):
                    system = line.split("=", 1)[1].strip().strip('"')
    except OSError:
        pass
    return "%s, %d cores, %.1f GiB, %s, Linux %s" % (model, os.cpu_count(), memory, system,
                                                   platform.release())


def file_system_of(path):
    path = os.path.realpath(path)
    best, kind = "", "unknown"
    with open("/proc/self/mounts") as file:
        for line in file:
            point, fs_type = line.split()[1:3]
            inside = path == point or path.startswith(point.rstrip("/") + "/")
            if inside and len(point) > len(best):
                best, kind = point, fs_type
    return kind


def build_tool(work):
    build = os.path.join(work, "build")
    run_quietly(["cmake", "-S", REPO, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                 "-DBUILD_TESTING=OFF"])
    run_quietly(["cmake", "--build", build, "--target", "ulmor", "-j", str(os.cpu_count() or 2)])
    return os.path.join(build, "ulmor")


def build_launcher(work):
    spawn = os.path.join(work, "benchmark_spawn")
    run_quietly([os.environ.get("CC", "cc"), "-O2", "-static", "-o", spawn,
                 os.path.join(REPO, "scripts", "benchmark_spawn.c")])
    return spawn


def shared_libraries(tool):
    listing = subprocess.run(["ldd", tool], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                             text=True).stdout
    names = [line.split()[0] for line in listing.splitlines() if "=>" in line]
    return ", ".join(names) or "none"


def median(runs, key):
    return statistics.median(run[key] for run in runs)


def verdict(name, ratio, limit):
    return "%s %.2f %s" % (name, ratio, "met" if ratio <= limit else "MISSED")


def print_header(options, work, tool, env):
    dd_version = subprocess.run(["dd", "--version"], stdout=subprocess.PIPE, text=True,
                                env=env).stdout.splitlines()[0]
    print("ulmor benchmark, %s" % datetime.datetime.now().strftime("%Y-%m-%d %H:%M"))
    print("machine: " + machine_description())
    print("tool:    %s (%d bytes; shared libraries: %s)" %
          (tool, os.path.getsize(tool), shared_libraries(tool)))
    print("work:    %s (%s); both programs run with LC_ALL=%s; %d runs of each, in turn" %
          (work, file_system_of(work), options.locale, options.runs))
    print("dd:      %s, bs=64k, one process per container, copying the same number of bytes:" %
          dd_version)
    print('         "overlap": a file of the 127 members end to end, because one dd process cannot')
    print("                    copy overlapping ranges of one file. So dd reads 254 MiB of distinct")
    print("                    pages where ulmor reads the same 32 MiB again and again, and dd")
    print("                    creates 1 file where ulmor creates 127.")
    print('         "largest": the member\'s own byte range of the container, the same work as '
          "ulmor's.")
    print("ulmor's wall time and throughput leave out its 1000 ms pause at the end.")
    sys.stdout.flush()


def print_case(case, runs):
    """The medians of one container, and its two target ratios."""
    print()
    print('container "%s": %s, %.1f MiB copied' % (case["name"], case["summary"],
                                                   case["bytes"] / MIB))
    print("  %-26s %10s %10s %10s" % ("median of %d runs" % runs, "ulmor", "dd", "ulmor/dd"))
    mine, theirs = case["ulmor_runs"], case["dd_runs"]
    rows = [
        ("CPU s (user + system)", median(mine, "cpu"), median(theirs, "cpu"), "%10.4f"),
        ("wall s", median(mine, "wall"), median(theirs, "wall"), "%10.4f"),
        ("throughput MiB/s", case["bytes"] / MIB / median(mine, "wall"),
         case["bytes"] / MIB / median(theirs, "wall"), "%10.0f"),
        ("peak resident MiB", median(mine, "resident") / 1024,
         median(theirs, "resident") / 1024, "%10.3f"),
    ]
    for label, ulmor, dd, shape in rows:
        print("  %-26s %s %s %10.2f" % (label, shape % ulmor, shape % dd, ulmor / dd))
    return rows[0][1] / rows[0][2], rows[3][1] / rows[3][2]


def print_system_calls(tool, cases, one_member, no_member, work, env):
    """Per member, from the overlap container less its first member alone, so that start-up and
    the set-up of the first progress line fall away. True when the counts are the design's."""
    overlap, largest = cases
    blocks = MEMBER_SECTORS * SECTOR // BLOCK
    members = overlap["members"] - 1
    many = strace_counts(tool, overlap["container"], overlap["out_dir"], work, env)
    one = strace_counts(tool, one_member, overlap["out_dir"], work, env)
    design = {
        "newfstatat": (1, "the container guard's stat of the member path"),
        "openat": (1, "create the member file"),
        "lseek": (1, "one positioning"),
        "read": (blocks, "one per 64 KiB block"),
        "write": (blocks + 1, "one per block, and the progress line"),
        "close": (1, "close the member file"),
    }
    order = list(design)
    names = sorted(set(many) | set(one),
                   key=lambda name: (order.index(name) if name in design else len(order), name))
    print()
    print('system calls per member (strace -c: container "overlap" less its first member alone,')
    print("divided by the other %d members; %d blocks each)" % (members, blocks))
    print("  %-12s %10s %8s" % ("call", "per member", "design"))
    matches = True
    total = 0.0
    for name in names:
        per_member = (many.get(name, 0) - one.get(name, 0)) / members
        expected, why = design.get(name, (0, ""))
        if per_member == 0 and expected == 0:
            continue
        matches = matches and per_member == expected
        total += per_member
        print("  %-12s %10.2f %8d   %s" % (name, per_member, expected, why))
    print("  %-12s %10.2f %8d" % ("total", total, sum(count for count, _ in design.values())))

    big = strace_counts(tool, largest["container"], largest["out_dir"], work, env)
    none = strace_counts(tool, no_member, largest["out_dir"], work, env)
    reads = big.get("read", 0) - none.get("read", 0)
    writes = big.get("write", 0) - none.get("write", 0)
    print('  container "largest", 511 blocks of 64 KiB and one of 65024 bytes: %d reads, %d '
          "writes" % (reads, writes))
    return matches and reads == 512 and writes == 513


def benchmark(options, work):
    tool = os.path.abspath(options.tool) if options.tool else build_tool(work)
    spawn = build_launcher(work)
    cases, one_member, no_member = make_cases(work)
    env = dict(os.environ, LC_ALL=options.locale)
    print_header(options, work, tool, env)

    # One untimed run of each warms the page cache and proves the copies right.
    for case in cases:
        run_ulmor(spawn, tool, case, env)
        run_dd(spawn, case, env)
        check_copies(case)

    usage = []
    for run in range(options.runs):
        for case in cases:
            ulmor_first = run % 2 == 0
            for program in ("ulmor", "dd") if ulmor_first else ("dd", "ulmor"):
                if program == "ulmor":
                    result = run_ulmor(spawn, tool, case, env)
                    result["wall"] -= PAUSE_SECONDS
                    case["ulmor_runs"].append(result)
                else:
                    case["dd_runs"].append(run_dd(spawn, case, env))
        usage.append(measure(spawn, [tool], env))

    ratios = [(case["name"],) + print_case(case, options.runs) for case in cases]
    print()
    print("usage line (no arguments): CPU %.1f ms, wall %.3f s (the pause), peak resident %.3f MiB"
          % (median(usage, "cpu") * 1000, median(usage, "wall"), median(usage, "resident") / 1024))
    calls_match = print_system_calls(tool, cases, one_member, no_member, work, env)

    print()
    print("targets")
    print("  CPU time <= %.2f x dd's:        %s" %
          (CPU_TARGET, ", ".join(verdict(name, cpu, CPU_TARGET) for name, cpu, _ in ratios)))
    print("  peak resident <= %.2f x dd's:   %s" %
          (RESIDENT_TARGET,
           ", ".join(verdict(name, resident, RESIDENT_TARGET) for name, _, resident in ratios)))
    print("  system calls per member:        %s" %
          ("design + the container guard's one stat, met" if calls_match else "MISSED"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=15, help="timed runs of each program (15)")
    parser.add_argument("--dir", help="where to make the temporary directory (/dev/shm)")
    parser.add_argument("--locale", default="C.UTF-8",
                        help="LC_ALL of both programs (C.UTF-8); dd loads it, ulmor does not")
    parser.add_argument("--tool", help="an ulmor to time instead of a fresh Release build")
    options = parser.parse_args()
    if options.runs < 1:
        fail("--runs must be at least 1")

    needed = ["dd", "strace", "ldd", os.environ.get("CC", "cc")]
    if not options.tool:
        needed.append("cmake")
    missing = [name for name in needed if shutil.which(name) is None]
    if missing:
        fail("needs " + ", ".join(missing) + " (see the README's Performance section)")

    where = options.dir
    if where is None and file_system_of("/dev/shm") == "tmpfs":
        where = "/dev/shm"
    work = tempfile.mkdtemp(prefix="ulmor-benchmark-", dir=where)
    try:
        if shutil.disk_usage(work).free < 700 * MIB:
            fail("needs about 0.7 GiB free in " + work)
        benchmark(options, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
