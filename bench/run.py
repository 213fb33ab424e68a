#!/usr/bin/env python3
"""Times strtab2c against writing the same number of bytes and against `xxd -i`.

Generates three tables in a temporary directory (4096 x 16 KiB random bytes, 65535 x 8 bytes,
and a mid-size 1024 x 1 KiB), then runs, interleaved over several rounds: strtab2c, a write-only
baseline (`head -c <size of the generated file> /dev/zero > file`, same directory) and `xxd -i`
on the string bytes. Prints medians, the ratios and strtab2c's peak RSS.

Usage: bench/run.py [path to strtab2c]   (default: build/strtab2c)
"""
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

ROUNDS = 5
HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build", "strtab2c"))


def write_table(path, count, length, rng):
    with open(path, "wb") as f:
        head = bytearray(16)
        head[4:6] = struct.pack("<H", count)
        head[9] = 2
        f.write(head)
        offset = 16 * (count + 1)
        for _ in range(count):
            entry = bytearray(16)
            entry[0:4] = struct.pack("<I", offset)
            entry[4:6] = struct.pack("<H", length)
            f.write(entry)
            offset += length
        f.write(rng.randbytes(count * length))
    with open(path + ".raw", "wb") as f:  # the string bytes alone, for xxd
        with open(path, "rb") as t:
            t.seek(16 * (count + 1))
            shutil.copyfileobj(t, f)


def timed(cmd, cwd, shell=False):
    start = time.perf_counter()
    subprocess.run(cmd, cwd=cwd, shell=shell, check=True, stdout=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    return elapsed


def peak_rss_kib(cmd, cwd):
    # GNU time reports the tool's own peak; getrusage from here would also count the memory a
    # forked Python child has before it execs.
    if not os.access("/usr/bin/time", os.X_OK):
        return float("nan")
    out = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, cwd=cwd, check=True,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(out.stderr.strip().splitlines()[-1])


def main():
    if not os.access(TOOL, os.X_OK):
        sys.exit(f"no strtab2c at {TOOL}; build it first (cmake -S . -B build && cmake --build build)")
    rng = random.Random(1)
    work = tempfile.mkdtemp(prefix="strtab2c_bench_")
    try:
        cases = [("4096 x 16 KiB", "big.bin", 4096, 16384),
                 ("1024 x 1 KiB", "mid.bin", 1024, 1024),
                 ("65535 x 8 B", "many.bin", 65535, 8)]
        for _, name, count, length in cases:
            write_table(os.path.join(work, name), count, length, rng)
        have_xxd = shutil.which("xxd") is not None
        print(f"strtab2c: {TOOL}\nscratch: {work}\nrounds: {ROUNDS} (medians)\n")
        results = {}
        for label, name, count, length in cases:
            stem = name.replace(".", "_")
            out_c = os.path.join(work, stem + ".c")
            tool_cmd = [TOOL, name, "inc.h"]
            subprocess.run(tool_cmd, cwd=work, check=True, stdout=subprocess.DEVNULL)
            size = os.path.getsize(out_c)
            base_cmd = f"head -c {size} /dev/zero > baseline.out"
            xxd_cmd = f"xxd -i {name}.raw > xxd.out"
            t_tool, t_base, t_xxd = [], [], []
            for _ in range(ROUNDS):
                os.remove(out_c)
                t_tool.append(timed(tool_cmd, work))
                if os.path.exists(os.path.join(work, "baseline.out")):
                    os.remove(os.path.join(work, "baseline.out"))
                t_base.append(timed(base_cmd, work, shell=True))
                if have_xxd and count * length >= 1 << 20:
                    t_xxd.append(timed(xxd_cmd, work, shell=True))
            rss = peak_rss_kib(tool_cmd, work)
            tool, base = statistics.median(t_tool), statistics.median(t_base)
            line = (f"{label:14} output {size / 1e6:8.1f} MB  strtab2c {tool:7.3f} s  "
                    f"write-only {base:7.3f} s  ratio {tool / base:5.2f}x  "
                    f"{size / tool / 1e6:7.0f} MB/s  {tool / size * 1e9:5.2f} ns/byte  "
                    f"peak RSS {rss / 1024:5.1f} MiB")
            if t_xxd:
                xxd = statistics.median(t_xxd)
                line += f"  xxd -i {xxd:7.3f} s ({xxd / tool:4.1f}x slower)"
            print(line, flush=True)
            results[name] = tool / size
        print(f"\nper-byte cost, 65535 x 8 B vs 4096 x 16 KiB: "
              f"{results['many.bin'] / results['big.bin']:.2f}x")
        print(f"per-byte cost, 65535 x 8 B vs 1024 x 1 KiB (same output size, so the same "
              f"fixed cost of starting and creating files): "
              f"{results['many.bin'] / results['mid.bin']:.2f}x")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
