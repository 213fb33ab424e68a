#!/usr/bin/env python3
"""Times strtab2c against the physical limit, writing the same bytes, and against `xxd -i`.

Makes the tables with the build's strtab2c_bench_table (two scales, each in three layouts), then
for each scale times on each of its layouts, interleaved over several rounds (the layouts taking
turns at each place in a round) and with `sync` before each command: strtab2c; the write limit,
`dd` writing as many bytes as strtab2c's output in 1 MiB blocks into the same directory; and,
for the large table stored in order, `xxd -i` on the string bytes. Prints medians with min and
max, each ratio to the write limit, the random-order and shared-string ratios to the same table
stored in order, the overhead per string, and strtab2c's peak memory beside the input's size
(the mapped input counts only as far as it is touched).

One round more than counted runs first, unmeasured, to warm the file system's memory.

Usage: bench/run.py [--dir DIR] [--rounds N] [BUILD_DIR]      (BUILD_DIR default: build)
  --dir  where to work; default /dev/shm, where only CPU and memory count. On a disk the
         write-back of earlier runs lands in later ones, so disk figures swing from run to run.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SCALES = [("4096 x 16 KiB", 4096, 16384), ("65535 x 8 B", 65535, 8)]  # label, count, length
LAYOUTS = ["order", "random", "shared"]


def timed(cmd, cwd):
    """Wall time of one command, its output discarded, after a sync."""
    subprocess.run(["sync"], check=True)
    start = time.perf_counter()
    proc = subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    if proc.returncode != 0:
        sys.exit(f"failed ({proc.returncode}): {' '.join(cmd)}")
    return elapsed


def peak_rss_kib(cmd, cwd):
    """strtab2c's own peak RSS: GNU time execs it from a small process, so the figure is not
    the memory a forked Python has before it execs."""
    if not os.access("/usr/bin/time", os.X_OK):
        return float("nan")
    out = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, cwd=cwd, check=True,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(out.stderr.strip().splitlines()[-1])


def stats(values):
    return statistics.median(values), min(values), max(values)


def fmt(values):
    med, lo, hi = stats(values)
    return f"{med * 1000:8.1f} ms [{lo * 1000:.1f}..{hi * 1000:.1f}]"


class Table:
    """One layout of a scale: its file, the commands timed on it and their times."""

    def __init__(self, layout, count, length, tool, maker, work, have_xxd):
        self.layout = layout
        self.work = work
        self.name = f"{layout}_{count}_{length}.bin"
        subprocess.run([maker, layout, str(count), str(length), self.name], cwd=work, check=True)
        self.in_size = os.path.getsize(os.path.join(work, self.name))
        self.out_c = os.path.join(work, self.name.replace(".bin", "_bin.c"))
        self.tool_cmd = [tool, self.name, "inc.h"]
        subprocess.run(self.tool_cmd, cwd=work, check=True, stdout=subprocess.DEVNULL)
        self.out_size = os.path.getsize(self.out_c)
        self.rss = peak_rss_kib(self.tool_cmd, work)
        os.remove(self.out_c)
        self.write_cmd = ["dd", "if=/dev/zero", "of=limit.out", "bs=1M",
                          f"count={self.out_size}", "iflag=count_bytes", "status=none"]
        self.xxd = have_xxd and layout == "order" and length > 1024
        if self.xxd:
            with open(os.path.join(work, self.name), "rb") as f, \
                    open(os.path.join(work, "raw.bin"), "wb") as raw:
                f.seek(16 * (count + 1))
                shutil.copyfileobj(f, raw)
        self.times = {"tool": [], "write": [], "xxd": []}

    def run_round(self):
        # Each command's output goes before the next starts: each finds the same memory.
        self.times["tool"].append(timed(self.tool_cmd, self.work))
        os.remove(self.out_c)
        os.remove(os.path.join(self.work, "inc.h"))
        self.times["write"].append(timed(self.write_cmd, self.work))
        os.remove(os.path.join(self.work, "limit.out"))
        if self.xxd:
            self.times["xxd"].append(timed(["sh", "-c", "xxd -i raw.bin > xxd.out"], self.work))
            os.remove(os.path.join(self.work, "xxd.out"))

    def remove(self):
        for leftover in ("raw.bin", self.name):
            path = os.path.join(self.work, leftover)
            if os.path.exists(path):
                os.remove(path)


def run_scale(label, count, length, tool, maker, work, rounds, have_xxd):
    """Times the three layouts of one scale, all interleaved in each round, so that the layouts'
    ratios compare runs made side by side."""
    tables = [Table(layout, count, length, tool, maker, work, have_xxd) for layout in LAYOUTS]
    # One round more than counted: the first one warms the file system's memory, which a fresh
    # tmpfs or a new file otherwise charges to whichever command comes first.
    for round_ in range(rounds + 1):
        # Each layout takes each place in the round in turn: what runs before one is not always
        # the same command.
        turn = round_ % len(tables)
        for table in tables[turn:] + tables[:turn]:
            table.run_round()
        if round_ == 0:
            for table in tables:
                table.times = {key: [] for key in table.times}
    results = {}
    for table in tables:
        t_tool, t_write, t_xxd = (table.times[k] for k in ("tool", "write", "xxd"))
        tool_med, write_med = stats(t_tool)[0], stats(t_write)[0]
        results[(count, length, table.layout)] = (tool_med, write_med)
        row = label if table.layout == "order" else f"{label} {table.layout}"
        line = (f"{row:22} out {table.out_size / 1e6:7.1f} MB  strtab2c {fmt(t_tool)}  "
                f"write {fmt(t_write)}  ratio {tool_med / write_med:4.2f}x  "
                f"peak {table.rss / 1024:5.1f} MiB (input {table.in_size / 2**20:5.1f} MiB)")
        if t_xxd:
            line += f"  xxd -i {stats(t_xxd)[0] * 1000:.0f} ms ({stats(t_xxd)[0] / tool_med:.0f}x)"
        print(line, flush=True)
        table.remove()
    return results


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build", nargs="?", default=os.path.join(HERE, "..", "build"))
    ap.add_argument("--dir", default="/dev/shm" if os.path.isdir("/dev/shm") else None)
    ap.add_argument("--rounds", type=int, default=7)
    args = ap.parse_args()
    tool = os.path.abspath(os.path.join(args.build, "strtab2c"))
    maker = os.path.abspath(os.path.join(args.build, "bench", "strtab2c_bench_table"))
    for path in (tool, maker):
        if not os.access(path, os.X_OK):
            sys.exit(f"no {path}; build first (cmake -S . -B build && cmake --build build)")
    work = tempfile.mkdtemp(prefix="strtab2c_bench_", dir=args.dir)
    have_xxd = shutil.which("xxd") is not None
    print(f"strtab2c: {tool}\nscratch: {work}\ncores: {os.cpu_count()}\n"
          f"rounds: {args.rounds}, interleaved; medians [min..max]\n")
    try:
        results = {}
        for label, count, length in SCALES:
            results.update(run_scale(label, count, length, tool, maker, work, args.rounds,
                                     have_xxd))
        print()
        for _, count, length in SCALES:
            base = results[(count, length, "order")][0]
            for layout in LAYOUTS[1:]:
                print(f"{count} x {length} B {layout:6} / in order: "
                      f"{results[(count, length, layout)][0] / base:.2f}x")
        tool_med, write_med = results[(65535, 8, "order")]
        print(f"overhead per string (65535 x 8 B, beyond the write): "
              f"{(tool_med - write_med) / 65535 * 1e9:.0f} ns")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
