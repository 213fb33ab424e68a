#!/usr/bin/env python3
"""Compares the CPU time of a build that converts its tables with strtab2c_add_tables() against
the same project written by hand, one add_custom_command per table running the tool.

Makes N tables of 100 strings with the build's strtab2c_bench_table, writes both projects, then
for each generator builds both, interleaved over the rounds (each project taking each place in a
round in turn), from a fresh build tree each time (configure not counted). CPU time is user +
system time of the build and everything it starts. Prints medians with min and max and the ratio;
then the no-op build and a one-table rebuild of the function's project, in wall time.

Usage: bench/cmake_route.py [--tables N] [--rounds N] [--dir DIR] [BUILD_DIR]   (default: build)
"""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
GENERATORS = [g for g in ("Ninja", "Unix Makefiles")
              if g != "Ninja" or shutil.which("ninja")]

MAIN = """#include <stdio.h>
#include "strings.h"
int main(void) { printf("%u\\n", (unsigned)RES_STRING_T0_BIN_CNT); return 0; }
"""


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def projects(work, tool, count):
    names = [f"t{i}" for i in range(count)]
    common = "cmake_minimum_required(VERSION 3.20)\nproject(bench C)\n"
    write(os.path.join(work, "api", "res_manager_api.h"), "#include <stdint.h>\n")
    tables = " ".join(f"tables/{n}.bin" for n in names)
    write(os.path.join(work, "function", "CMakeLists.txt"), common +
          f'set(STRTAB2C_EXECUTABLE "{tool}" CACHE FILEPATH "")\n'
          f'include("{SOURCE}/cmake/Strtab2c.cmake")\n'
          f'include_directories("{work}/api")\n'
          "add_executable(app main.c)\n"
          f"strtab2c_add_tables(app HEADER gen/strings.h TABLES {tables})\n")
    # By hand: the tool per table into a fragment, the header written once at configure time.
    hand = common + f'include_directories("{work}/api" "${{CMAKE_BINARY_DIR}}/gen")\n'
    hand += 'file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/gen")\n'
    header = "#pragma once\\n#include <res_manager_api.h>\\n"
    sources = []
    for n in names:
        stem = n.upper() + "_BIN"
        header += (f"extern const uint8_t* RES_STRING_{stem}[];\\n"
                   f"extern const uint32_t RES_STRING_{stem}_CNT;\\n")
        out = f"${{CMAKE_BINARY_DIR}}/gen/{n}_bin.c"
        hand += (f'add_custom_command(OUTPUT "{out}" COMMAND "{tool}" --portable-c '
                 f'"${{CMAKE_SOURCE_DIR}}/tables/{n}.bin" "${{CMAKE_BINARY_DIR}}/gen/{n}.decl" '
                 f'DEPENDS "${{CMAKE_SOURCE_DIR}}/tables/{n}.bin" VERBATIM)\n')
        sources.append(f'"{out}"')
    hand += f'file(WRITE "${{CMAKE_BINARY_DIR}}/gen/strings.h" "{header}")\n'
    hand += "add_executable(app main.c " + " ".join(sources) + ")\n"
    write(os.path.join(work, "hand", "CMakeLists.txt"), hand)
    for project in ("function", "hand"):
        write(os.path.join(work, project, "main.c"), MAIN)
        os.makedirs(os.path.join(work, project, "tables"), exist_ok=True)
    return names


def run(cmd, **kw):
    proc = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, **kw)
    if proc.returncode != 0:
        sys.exit(f"failed: {' '.join(cmd)}\n{proc.stderr.decode()}")


def cpu_of(cmd):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    run(cmd)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def wall_of(cmd):
    start = time.perf_counter()
    run(cmd)
    return time.perf_counter() - start


def fresh_build(work, project, generator):
    build = os.path.join(work, "build-" + project)
    shutil.rmtree(build, ignore_errors=True)
    run(["cmake", "-S", os.path.join(work, project), "-B", build, "-G", generator,
         "-DCMAKE_BUILD_TYPE=Release"])
    return build


def summary(values):
    return f"{statistics.median(values):7.2f} s [{min(values):.2f}..{max(values):.2f}]"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir", nargs="?", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--tables", type=int, default=200)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--dir", default=None)
    args = parser.parse_args()
    tool = os.path.join(os.path.abspath(args.build_dir), "strtab2c")
    maker = os.path.join(os.path.abspath(args.build_dir), "bench", "strtab2c_bench_table")
    work = tempfile.mkdtemp(prefix="strtab2c_cmake_", dir=args.dir)
    try:
        names = projects(work, tool, args.tables)
        for n in names:
            first = os.path.join(work, "function", "tables", n + ".bin")
            run([maker, "order", "100", "12", first])
            shutil.copy(first, os.path.join(work, "hand", "tables", n + ".bin"))
        jobs = "-j2"
        for generator in GENERATORS:
            cpu = {"function": [], "hand": []}
            for r in range(args.rounds):
                order = ["function", "hand"] if r % 2 == 0 else ["hand", "function"]
                for project in order:
                    build = fresh_build(work, project, generator)
                    cpu[project].append(cpu_of(["cmake", "--build", build, "--", jobs]))
            f, h = statistics.median(cpu["function"]), statistics.median(cpu["hand"])
            print(f"{generator:15} {args.tables} tables  strtab2c_add_tables {summary(cpu['function'])}"
                  f"  by hand {summary(cpu['hand'])}  ratio {f / h:.2f}x  (CPU time, full build)")
            build = os.path.join(work, "build-function")
            noop = [wall_of(["cmake", "--build", build]) for _ in range(args.rounds)]
            one = []
            for r in range(args.rounds):
                table = os.path.join(work, "function", "tables", names[r % len(names)] + ".bin")
                os.utime(table)
                one.append(wall_of(["cmake", "--build", build]))
            print(f"{'':15} no-op build {summary(noop)}   one table changed {summary(one)}  (wall)")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
