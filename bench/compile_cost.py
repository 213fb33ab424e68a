#!/usr/bin/env python3
"""What the generated file costs to compile: the brace form against --string-literals.

Makes two tables (1024 strings of 4000 random bytes, 4 MB; a UI table of 5000 short text
strings), converts each with the build's strtab2c in both forms, then compiles each file with
every compiler (-O2 -c), interleaved over several rounds, each compile in a different place of
its round in turn. Prints the median compile time with min and max, the median peak memory of
the compiler, and the ratio of the brace form to the literals.

Usage: bench/compile_cost.py [--rounds N] [--dir DIR] [BUILD_DIR] [CC...]
       (BUILD_DIR default: build; compilers default: gcc and clang, where installed)
"""
import argparse
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
API = "#include <stdint.h>\n"


def table(strings):
    """A string resource file: header (count at 4, encoding 2 at 9), entries, strings."""
    head = bytearray(16)
    head[4:6] = struct.pack("<H", len(strings))
    head[9] = 2
    offset = 16 * (len(strings) + 1)
    entries = bytearray()
    for s in strings:
        entries += struct.pack("<IH", offset, len(s)) + bytes(10)
        offset += len(s)
    return bytes(head) + bytes(entries) + b"".join(strings)


def ui_strings(count, rng):
    words = ["Open", "file", "Save", "as", "Cancel", "the", "settings", "Print", "page", "of",
             "Error:", "cannot", "read", "%s", "%d", "items", "selected", "Close", "window"]
    return [" ".join(rng.choice(words) for _ in range(rng.randint(1, 7))).encode()
            for _ in range(count)]


def compile_once(cc, source, work):
    """Wall time and the compiler's peak memory (KiB, all its processes: cc1 counts)."""
    start = time.perf_counter()
    proc = subprocess.Popen([cc, "-O2", "-I", work, "-c", source, "-o", os.devnull],
                            cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if status != 0:
        sys.exit(f"{cc} failed on {source}:\n{err}")
    # On Linux wait4's ru_maxrss is the largest of the driver and the processes it waited for:
    # the compiler proper (cc1) counts.
    return elapsed, usage.ru_maxrss


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--dir", default=None)
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("compilers", nargs="*")
    args = parser.parse_args()
    tool = os.path.join(args.build, "strtab2c")
    if not os.access(tool, os.X_OK):
        sys.exit(f"no {tool}: build the tool first (cmake --build {args.build})")
    compilers = args.compilers or [c for c in ("gcc", "clang") if shutil.which(c)]
    work = tempfile.mkdtemp(prefix="strtab2c_compile_", dir=args.dir)
    with open(os.path.join(work, "res_manager_api.h"), "w") as f:
        f.write(API)
    rng = random.Random(1)
    tables = {
        "1024 x 4000 random bytes": [bytes(rng.getrandbits(8) for _ in range(4000))
                                     for _ in range(1024)],
        "5000 UI strings": ui_strings(5000, rng),
    }
    files = []  # (table label, form, path, size)
    for n, (label, strings) in enumerate(tables.items()):
        with open(os.path.join(work, f"t{n}.bin"), "wb") as f:
            f.write(table(strings))
        for form, options in (("braces", []), ("literals", ["--string-literals"])):
            sub = os.path.join(work, form)
            os.makedirs(sub, exist_ok=True)
            subprocess.run([tool] + options + [os.path.join(work, f"t{n}.bin"),
                                               os.path.join(sub, "inc.h")],
                           check=True, stdout=subprocess.DEVNULL)
            path = os.path.join(sub, f"t{n}_bin.c")
            files.append((label, form, path, os.path.getsize(path)))
    runs = [(cc, f) for cc in compilers for f in files]
    times = {run: [] for run in range(len(runs))}
    peaks = {run: [] for run in range(len(runs))}
    print(f"compilers: {', '.join(compilers)}; rounds: {args.rounds}, interleaved; "
          f"cores: {os.cpu_count()}; medians [min..max]\n")
    for round_ in range(args.rounds):
        order = list(range(len(runs)))
        order = order[round_ % len(order):] + order[:round_ % len(order)]
        for i in order:
            cc, (_, _, path, _) = runs[i]
            elapsed, peak = compile_once(cc, path, work)
            times[i].append(elapsed)
            peaks[i].append(peak)
    for cc in compilers:
        for label in tables:
            row = {}
            for i, (run_cc, (run_label, form, _, size)) in enumerate(runs):
                if run_cc == cc and run_label == label:
                    row[form] = (statistics.median(times[i]), min(times[i]), max(times[i]),
                                 statistics.median(peaks[i]) / 1024, size / 1e6)
            parts = []
            for form in ("braces", "literals"):
                med, lo, hi, mib, mb = row[form]
                parts.append(f"{form} {med:6.2f} s [{lo:.2f}..{hi:.2f}] {mib:6.0f} MiB "
                             f"({mb:.1f} MB of C)")
            ratio = row["braces"][0] / row["literals"][0]
            print(f"{cc:6} {label:26} " + "   ".join(parts) + f"   {ratio:4.1f}x faster")
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
